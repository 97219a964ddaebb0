#include "gdal/RasterCells.h"

#include <cmath>
#include <limits>
#include <type_traits>

#include "core/common/NumberText.h"
#include "core/files/FileBase.h"
#include "core/grid/DataPt.h"
#include "gdal/RasterPositions.h"

namespace {

// Cells handed to TransformPoints at once.
constexpr std::size_t kBatch = 256;

// Band 1 in its stored type T.
template <typename T>
class CCodec {
 public:
  // coding.noData is a value of T (CBandCoding::Holds).
  explicit CCodec(const CBandCoding& coding)
      : m_scale(coding.scale),
        m_offset(coding.offset),
        m_scaled(coding.scale != 1.0 || coding.offset != 0.0),
        m_noData(static_cast<T>(coding.noData)) {}

  // The value of a stored cell; false for a cell without one. No-data is compared in
  // the stored type, as GDAL does: a Float32 band's -9999.9 is the float nearest to it.
  bool Decode(T stored, double& z) const {
    if (std::isnan(static_cast<double>(stored)) || stored == m_noData) return false;
    const double value = static_cast<double>(stored);
    z = m_scaled ? value * m_scale + m_offset : value;
    return true;
  }

  // The stored form of a new value rounded to the centimetre; false when T cannot hold
  // it, or it would read back as no-data.
  bool Encode(double z, T& stored) const {
    const double rounded = RoundFixed2(z);
    double value = m_scaled ? (rounded - m_offset) / m_scale : rounded;
    if constexpr (std::is_floating_point_v<T>) {
      if (!(std::fabs(value) <= static_cast<double>(std::numeric_limits<T>::max()))) return false;
    } else {
      value = std::round(value);
      if (!(value >= static_cast<double>(std::numeric_limits<T>::lowest()) &&
            value < static_cast<double>(std::numeric_limits<T>::max()) + 1.0))
        return false;
    }
    stored = static_cast<T>(value);
    return !(stored == m_noData);
  }

  T NoData() const { return m_noData; }

 private:
  double m_scale, m_offset;
  bool m_scaled;
  T m_noData;
};

template <typename T>
CCellCounts TransformTyped(const CBandCoding& coding, const CCellWindow& window, std::size_t first, std::size_t count,
                           const CCellTransform& how, CCellScratch& scratch) {
  const CCodec<T> codec(coding);
  const T* input = static_cast<const T*>(window.input);
  T* transformedOut = static_cast<T*>(window.transformed);
  T* excludedOut = static_cast<T*>(window.excluded);
  const T noData = codec.NoData();
  CCellCounts counts;
  std::size_t cells[kBatch];
  double a[kBatch], b[kBatch], z[kBatch];
  bool carried[kBatch];
  for (std::size_t start = first, end = first + count; start < end;) {
    // Gather up to a batch of cells with values ...
    std::size_t n = 0;
    for (; start < end && n < kBatch; ++start) {
      if (!codec.Decode(input[start], z[n])) {
        transformedOut[start] = excludedOut[start] = noData;
        continue;
      }
      cells[n] = start;
      if (window.a) {
        a[n] = window.a[start];
        b[n] = window.b[start];
      } else {
        const long long column = window.column + static_cast<long long>(start % window.width);
        const long long row = window.row + static_cast<long long>(start / window.width);
        how.positions->CellPosition(column, row, a[n], b[n], scratch.footPoint);
      }
      ++n;
    }
    // ... carry them over, and store each where it belongs.
    how.handler->TransformPoints(n, a, b, z, carried, how.grid, how.inRef, how.positions->GetZone(), how.outRef,
                                 scratch.point, &scratch.separation);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t cell = cells[i];
      T stored;
      if (carried[i] && codec.Encode(z[i], stored)) {
        transformedOut[cell] = stored;
        excludedOut[cell] = noData;
        ++counts.transformed;
      } else {
        transformedOut[cell] = noData;
        excludedOut[cell] = input[cell];
        ++counts.excluded;
      }
    }
  }
  return counts;
}

template <typename T>
bool HoldsTyped(double value) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::isnan(value) || std::fabs(value) <= static_cast<double>(std::numeric_limits<T>::max());
  } else {
    return value >= static_cast<double>(std::numeric_limits<T>::lowest()) &&
           value < static_cast<double>(std::numeric_limits<T>::max()) + 1.0 && value == std::floor(value);
  }
}

// Calls f with a value of band 1's stored C++ type (a null pointer of it).
template <typename F>
auto WithType(GDALDataType type, F&& f) {
  switch (type) {
    case GDT_Byte:
      return f(static_cast<std::uint8_t*>(nullptr));
    case GDT_UInt16:
      return f(static_cast<std::uint16_t*>(nullptr));
    case GDT_Int16:
      return f(static_cast<std::int16_t*>(nullptr));
    case GDT_UInt32:
      return f(static_cast<std::uint32_t*>(nullptr));
    case GDT_Int32:
      return f(static_cast<std::int32_t*>(nullptr));
    case GDT_Float32:
      return f(static_cast<float*>(nullptr));
    default:
      return f(static_cast<double*>(nullptr));
  }
}

}  // namespace

bool CBandCoding::IsSupported(GDALDataType type) {
  switch (type) {
    case GDT_Byte:
    case GDT_UInt16:
    case GDT_Int16:
    case GDT_UInt32:
    case GDT_Int32:
    case GDT_Float32:
    case GDT_Float64:
      return true;
    default:
      return false;
  }
}

bool CBandCoding::Holds(GDALDataType type, double value) {
  return WithType(type, [value](auto* tag) { return HoldsTyped<std::remove_pointer_t<decltype(tag)>>(value); });
}

double CBandCoding::ChooseNoData(GDALDataType type) {
  return WithType(type, [](auto* tag) {
    using T = std::remove_pointer_t<decltype(tag)>;
    if constexpr (std::is_floating_point_v<T>) return std::numeric_limits<double>::quiet_NaN();
    if constexpr (std::is_signed_v<T>) return static_cast<double>(std::numeric_limits<T>::lowest());
    return static_cast<double>(std::numeric_limits<T>::max());
  });
}

CCellCounts TransformCells(const CBandCoding& coding, const CCellWindow& window, std::size_t first, std::size_t count,
                           const CCellTransform& how, CCellScratch& scratch) {
  return WithType(coding.type, [&](auto* tag) {
    return TransformTyped<std::remove_pointer_t<decltype(tag)>>(coding, window, first, count, how, scratch);
  });
}
