// Grid generation on an arbitrary text grid file.
#include "FuzzSupport.h"
#include "core/grid/GridProc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InstallQuietJobs();
  const std::string path = fuzz::WriteInput("input.txt", data, size);
  CGridProc::Settings settings;
  settings.inputPath = path;
  settings.outputPath = fuzz::ScratchFile("output.MRGGrid");
  settings.day = 1;
  settings.month = 1;
  settings.year = 2030;
  settings.majorVersion = 1;
  CGridProc job(settings);
  job.SetCancel(false);
  ProcessThreadEntry(&job);
  fuzz::CheckUnchanged(path, data, size);
  fuzz::RemoveFiles({settings.outputPath});
  return 0;
}
