#include "api/ApiSupport.h"
#include "core/common/PathUtil.h"
#include "core/grid/GridRead.h"
#include "marevert/Transform.h"

namespace marevert {

CGrid::CGrid(const std::string& path) : m_impl(std::make_unique<Impl>()) {
  EnsureSharedObjects();
  // Read on this thread with this thread's own messenger, so that what the reader
  // shows becomes the exception text; the file's coding values stay with this grid.
  CRecordingMessenger messages;
  const CScopedThreadMessenger scope(&messages);
  CGridRead(m_impl->model, AbsolutePath(path), true).Run();
  if (!m_impl->model.IsLoaded()) {
    const std::string text = JoinMessages(messages);
    throw CError(text.empty() ? "Failed to load grid file:\n" + AbsolutePath(path) : text);
  }
}

CGrid::~CGrid() = default;
CGrid::CGrid(CGrid&&) noexcept = default;
CGrid& CGrid::operator=(CGrid&&) noexcept = default;

const std::string& CGrid::GetPath() const { return m_impl->model.GetFilePath(); }
std::vector<std::string> CGrid::GetDetails() const { return m_impl->model.GetDetails(); }

CGrid::Extent CGrid::GetExtent() const {
  const CGridInt& m = m_impl->model;
  return {m.GetMinLat(), m.GetMaxLat(), m.GetMinLon(), m.GetMaxLon(), m.GetGridSize()};
}

CGrid::Date CGrid::GetDate() const {
  const CGridInt& m = m_impl->model;
  return {m.GetYear(), m.GetMonth(), m.GetDay()};
}

int CGrid::GetMajorVersion() const { return m_impl->model.GetMajorVersion(); }
int CGrid::GetMinorVersion() const { return m_impl->model.GetMinorVersion(); }

void CGrid::IsInside(std::size_t count, const double* latitude, const double* longitude, bool* inside) const {
  CGridInt::Cell cell;
  for (std::size_t i = 0; i < count; ++i) inside[i] = m_impl->model.LocateCell(latitude[i], longitude[i], cell);
}

bool CGrid::IsInside(double latitude, double longitude) const {
  bool inside = false;
  IsInside(1, &latitude, &longitude, &inside);
  return inside;
}

void CGrid::GetSeparation(std::size_t count, const double* latitude, const double* longitude, const std::string& from,
                          const std::string& to, double* separation, Sign sign) const {
  // The separation is what carrying a zero height adds.
  for (std::size_t i = 0; i < count; ++i) separation[i] = 0.0;
  CTransformOptions options;
  options.sign = sign;
  std::unique_ptr<bool[]> inside(new bool[count > 0 ? count : 1]);
  Transform(*this, from, to, count, longitude, latitude, separation, separation, inside.get(), options);
}

}  // namespace marevert
