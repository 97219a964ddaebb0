// marevert: the desktop program. "marevert -grid" builds a grid file; without
// arguments it opens the main window.

#include <cstdio>

#include "gui/app/MarevertApp.h"
#ifdef MAREVERT_WITH_GDAL
#include "gdal/GdalHandlers.h"
#endif

int main(int argc, char** argv) {
  if (!CMarevertApp::HasDisplay()) {
    std::fprintf(stderr,
                 "marevert: no display (DISPLAY and WAYLAND_DISPLAY are not set), so the window cannot open.\n"
                 "Run it on a desktop session or under a virtual display (xvfb-run marevert);\n"
                 "marevert-cli does the same work without windows (marevert-cli --help).\n");
    return 2;
  }
  CMarevertApp app(argc, argv);
#ifdef MAREVERT_WITH_GDAL
  RegisterGdalFileHandlers();  // after the survey handlers, which keep their files
#endif
  return app.Run();
}
