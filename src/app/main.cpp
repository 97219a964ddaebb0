// marevert: the desktop program. "marevert -grid" builds a grid file; without
// arguments it opens the main window.

#include <cstdio>

#include "app/MarevertApp.h"

int main(int argc, char** argv) {
  if (!CMarevertApp::HasDisplay()) {
    std::fprintf(stderr,
                 "marevert: no display (DISPLAY and WAYLAND_DISPLAY are not set), so the window cannot open.\n"
                 "Run it on a desktop session or under a virtual display (xvfb-run marevert);\n"
                 "marevert-cli does the same work without windows (marevert-cli --help).\n");
    return 2;
  }
  CMarevertApp app(argc, argv);
  return app.Run();
}
