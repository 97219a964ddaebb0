#pragma once
// Point format 1 records of a survey along lines sweeping back and forth (about 1 m
// apart along a line, 50 m between lines), as a lidar or multibeam survey delivers them:
// X and Y in 1e-7 degrees from (0, 0) to (5, 5) beyond the header's offsets, depths in
// millimetres changing smoothly, GPS times 20 microseconds apart, intensities and returns
// as a sensor gives them. The LAZ benchmarks' points.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "core/common/ByteOrder.h"

constexpr std::size_t kTrackRecord = 28;  // point format 1

inline std::vector<std::uint8_t> TrackRecords(std::size_t count) {
  std::vector<std::uint8_t> records(count * kTrackRecord);
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double lon = 0.01, lat = 0.01, step = 0.00001, depth = -20.0, time = 302400.0;
  for (std::size_t i = 0; i < count; ++i) {
    lon += step;
    if (lon > 4.99 || lon < 0.01) {
      step = -step;
      lat += 0.0005;
      if (lat > 4.99) lat = 0.01;
      time += 30.0;
    }
    depth += 0.02 * (unit(random) - 0.5);
    time += 2e-5;
    std::uint8_t* r = &records[i * kTrackRecord];
    WriteLittleEndian(r, static_cast<std::int32_t>(lon / 1e-7));
    WriteLittleEndian(r + 4, static_cast<std::int32_t>((lat + 0.00001 * unit(random)) / 1e-7));
    WriteLittleEndian(r + 8, static_cast<std::int32_t>(std::lround(depth * 1000)));
    WriteLittleEndian(r + 12, static_cast<std::uint16_t>(300 + random() % 200));
    const unsigned returns = random() % 10 == 0 ? 2 : 1;
    r[14] = static_cast<std::uint8_t>((returns == 2 ? 1 + random() % 2 : 1) | returns << 3 | (step > 0 ? 0x40 : 0));
    r[15] = random() % 50 == 0 ? 7 : 2;
    r[16] = static_cast<std::uint8_t>(static_cast<std::int8_t>(std::lround(20 * (lon - std::floor(lon)) - 10)));
    WriteLittleEndian(r + 18, static_cast<std::uint16_t>(lat / 0.0005));
    WriteLittleEndian(r + 20, time);
  }
  return records;
}
