// One survey handler (chosen when building) on arbitrary file contents: its format
// detection, then its transformation on a small fixed grid (MSL to LAT), with the
// outputs written beside the input in the scratch folder.
#include <memory>

#include "FuzzSupport.h"
#include "core/files/FilesTestSupport.h"
#if defined(MAREVERT_FUZZ_HANDLER_HTF)
#include "core/files/FileHTF.h"
using CHandler = CFileHTF;
#elif defined(MAREVERT_FUZZ_HANDLER_ESRI)
#include "core/files/FileESRIGrid.h"
using CHandler = CFileESRIGrid;
#elif defined(MAREVERT_FUZZ_HANDLER_LAS)
#include "core/files/FileLAS.h"
using CHandler = CFileLAS;
#else
#include "core/files/FileText.h"
using CHandler = CFileText;
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CFilesTestGrid grid;
  const std::string path = fuzz::WriteInput("survey.dat", data, size);
  CHandler handler;
  if (handler.CanRead(path)) {
    CTestJob job;
    std::uint64_t outside = 0, transformed = 0;
    handler.Process(path, grid.Grid(), CFilesTestGrid::Msl(), CFilesTestGrid::Lat(), &job, 56, outside, transformed);
  }
  fuzz::CheckUnchanged(path, data, size);
  fuzz::RemoveFiles(
      {handler.GetOutputPath(CFilesTestGrid::Lat(), path), handler.GetOutputPath(CFilesTestGrid::Msl(), path)});
  return 0;
}
