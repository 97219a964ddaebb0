#pragma once
// One typed position and height carried into every listed vertical reference: the
// computation behind the point transformation page and the command line's `point`.
//
// The three texts are checked in the order latitude, longitude, height; the first that
// fails ends the computation with its message. A valid position is interpolated in the
// grid; outside the grid (or with no grid) there are no rows. Otherwise every reference of
// the factory gets a row, ordered by separation from the largest down; rows with equal
// separations appear in the reverse of factory order.

#include <string>
#include <vector>

class CGridInt;
class CTransBase;

// One result row: a reference, its separation at the position (sign factor applied)
// and the typed height expressed relative to it, in metres.
struct CPointRow {
  std::string m_name;
  double m_height = 0;
  double m_separation = 0;
};

class CPointTransform {
 public:
  enum class Outcome {
    Done,          // rows filled
    BadLatitude,   // "* Range [-90 .. 90]"
    BadLongitude,  // "* Range [-180 .. 180]"
    BadHeight,     // "* Enter a number"
    Outside,       // "* The requested position is not within the current grid"
    NoReference,   // no from reference chosen: no rows and no message
  };

  // The message shown for an outcome ("" for Done and NoReference).
  static const char* GetMessage(Outcome outcome);

  // Checks the texts and computes the rows. `grid` may be null (no grid: outside);
  // `from` is a reference of the factory's list (or any reference), null when none is
  // chosen. Uses the current sign factor.
  Outcome Compute(const std::string& latitudeText, const std::string& longitudeText, const std::string& heightText,
                  const CTransBase* from, const CGridInt* grid);
  // As above with the from reference looked up by display name, ignoring case.
  Outcome Compute(const std::string& latitudeText, const std::string& longitudeText, const std::string& heightText,
                  const std::string& fromName, const CGridInt* grid);

  // Results of the last Compute. Latitude, longitude and height are the converted texts
  // (valid once the checks have passed); the ellipsoidal height and the rows only after Done.
  Outcome GetOutcome() const { return m_outcome; }
  const std::vector<CPointRow>& GetRows() const { return m_rows; }
  double GetLatitude() const { return m_latitude; }
  double GetLongitude() const { return m_longitude; }
  double GetHeight() const { return m_height; }
  double GetEllipsoidHeight() const { return m_ellipsoidHeight; }

 private:
  Outcome m_outcome = Outcome::NoReference;
  std::vector<CPointRow> m_rows;
  double m_latitude = 0, m_longitude = 0, m_height = 0, m_ellipsoidHeight = 0;
};
