#pragma once
// A binary grid file (*.MRGGrid) in memory.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "marevert/Error.h"

namespace marevert {

class CGrid {
 public:
  // Reads the grid file; throws CError with the reader's messages when it cannot.
  explicit CGrid(const std::string& path);
  ~CGrid();
  CGrid(CGrid&&) noexcept;
  CGrid& operator=(CGrid&&) noexcept;
  CGrid(const CGrid&) = delete;
  CGrid& operator=(const CGrid&) = delete;

  // The file read, as an absolute path.
  const std::string& GetPath() const;
  // The lines the programs show for the grid ("File: ...", "Date (D/M/Y): ...", ...).
  std::vector<std::string> GetDetails() const;

  // Inclusive bounds of the lattice and its spacing, in decimal degrees.
  struct Extent {
    double minLatitude, maxLatitude, minLongitude, maxLongitude, gridSize;
  };
  Extent GetExtent() const;
  // The issue date and version written in the file.
  struct Date {
    int year, month, day;
  };
  Date GetDate() const;
  int GetMajorVersion() const;
  int GetMinorVersion() const;

  // Whether the grid answers each position (decimal degrees): inside its extent with a
  // complete cell around it. Thread-safe, as is every const member.
  void IsInside(std::size_t count, const double* latitude, const double* longitude, bool* inside) const;
  bool IsInside(double latitude, double longitude) const;

  // What carrying a value from `from` to `to` adds to it at each position, in metres
  // (separation of `from` minus separation of `to`, with the sign convention applied);
  // NaN where the grid does not answer. Throws CError for an unknown reference name.
  void GetSeparation(std::size_t count, const double* latitude, const double* longitude, const std::string& from,
                     const std::string& to, double* separation, Sign sign = Sign::HeightsPositive) const;

 private:
  friend struct CGridAccess;  // the library's own code reaches the model through it
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace marevert
