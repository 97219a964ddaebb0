#include "core/trans/PointTransform.h"

#include <algorithm>

#include "core/common/NumberText.h"
#include "core/grid/DataPt.h"
#include "core/grid/GridInt.h"
#include "core/trans/TransBase.h"
#include "core/trans/TransFactory.h"

const char* CPointTransform::GetMessage(Outcome outcome) {
  switch (outcome) {
    case Outcome::BadLatitude:
      return "* Range [-90 .. 90]";
    case Outcome::BadLongitude:
      return "* Range [-180 .. 180]";
    case Outcome::BadHeight:
      return "* Enter a number";
    case Outcome::Outside:
      return "* The requested position is not within the current grid";
    case Outcome::Done:
    case Outcome::NoReference:
      break;
  }
  return "";
}

CPointTransform::Outcome CPointTransform::Compute(const std::string& latitudeText, const std::string& longitudeText,
                                                  const std::string& heightText, const std::string& fromName,
                                                  const CGridInt* grid) {
  return Compute(latitudeText, longitudeText, heightText, CTransFactory::Instance().Find(fromName), grid);
}

CPointTransform::Outcome CPointTransform::Compute(const std::string& latitudeText, const std::string& longitudeText,
                                                  const std::string& heightText, const CTransBase* from,
                                                  const CGridInt* grid) {
  m_rows.clear();
  m_ellipsoidHeight = 0;
  m_latitude = TextToDouble(latitudeText);
  m_longitude = TextToDouble(longitudeText);
  m_height = TextToDouble(heightText);

  // A latitude or longitude that is not a plain number gets its range message: there is
  // no separate "number" message for the position.
  if (m_latitude < -90 || m_latitude > 90 || !IsNumberText(latitudeText)) return m_outcome = Outcome::BadLatitude;
  if (m_longitude < -180 || m_longitude > 180 || !IsNumberText(longitudeText)) return m_outcome = Outcome::BadLongitude;
  if (!IsNumberText(heightText)) return m_outcome = Outcome::BadHeight;

  CDataPt point;
  if (grid == nullptr || !grid->Interpolate(m_latitude, m_longitude, point)) return m_outcome = Outcome::Outside;
  // Without a from reference the height cannot be placed: an empty list, not a crash.
  if (from == nullptr) return m_outcome = Outcome::NoReference;

  m_ellipsoidHeight = m_height + from->GetSeparation(point, m_latitude, m_longitude);

  // Insert by ascending separation, a new row after those with an equal separation
  // (a comparison that is never true, as with a NaN, simply appends), then list the
  // collection backwards: largest first, equal separations last-inserted first.
  const CTransFactory& factory = CTransFactory::Instance();
  m_rows.reserve(factory.GetCount());
  for (std::size_t i = 0; i < factory.GetCount(); ++i) {
    const CTransBase* ref = factory.GetAt(i);
    const double separation = ref->GetSeparation(point, m_latitude, m_longitude);
    auto at = std::find_if(m_rows.begin(), m_rows.end(),
                           [separation](const CPointRow& row) { return separation < row.m_separation; });
    m_rows.insert(at, CPointRow{ref->GetName(), m_ellipsoidHeight - separation, separation});
  }
  std::reverse(m_rows.begin(), m_rows.end());
  return m_outcome = Outcome::Done;
}
