// The binary grid reader on arbitrary file contents.
#include "FuzzSupport.h"
#include "core/grid/GridInt.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InstallQuietJobs();
  const std::string path = fuzz::WriteInput("input.MRGGrid", data, size);
  CGridInt grid;
  grid.LoadFile(path);
  if (grid.IsLoaded()) {
    // Touch the model the reader built: lookups inside and around the extents.
    CDataPt point;
    const double lat = (grid.GetMinLat() + grid.GetMaxLat()) / 2, lon = (grid.GetMinLon() + grid.GetMaxLon()) / 2;
    grid.Interpolate(lat, lon, point);
    grid.Interpolate(grid.GetMinLat(), grid.GetMinLon(), point);
    grid.GetDetails();
  }
  fuzz::CheckUnchanged(path, data, size);
  return 0;
}
