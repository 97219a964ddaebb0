// The coast data reader on arbitrary file contents.
#include "FuzzSupport.h"
#include "core/map/MapData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::WriteInput(CMapData::kFileName, data, size);
  CMapData& map = CMapData::Instance();
  map.LoadFile(path);
  std::size_t points = 0;
  for (const CMapLine& line : map.GetLines()) points += line.m_points.size();
  (void)points;
  CMapData::Release();
  fuzz::CheckUnchanged(path, data, size);
  return 0;
}
