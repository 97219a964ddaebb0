// Takes a picture of each page of the real main window, of the disclaimer, of the
// grid generation settings dialog and of the coast map with its grid layers, on Qt's
// offscreen platform, with the data files beside the program (the demo grid is loaded
// as at a first start).
//   marevert-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTabBar>
#include <cstdio>

#include "core/common/Profile.h"
#include "core/jobs/JobRunner.h"
#include "gui/app/MarevertDlg.h"
#include "gui/map/DlgMap.h"
#include "gui/pages/GridGenDlg.h"
#include "gui/windows/DlgDisclaimer.h"

namespace {

bool Save(QWidget* widget, const QDir& folder, const char* name) {
  QApplication::processEvents();
  const QString path = folder.filePath(QString::fromUtf8(name));
  if (!widget->grab().save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("wrote %s\n", qPrintable(path));
  return true;
}

// The coast map that accompanies the point page at its first size, with both grid
// layers on, fitted and then zoomed in on the page's position with the cursor over it.
bool SaveMap(const QDir& folder) {
  CDlgMap* map = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* found = qobject_cast<CDlgMap*>(widget)) map = found;
  if (!map) {
    std::fprintf(stderr, "no coast map window\n");
    return false;
  }
  // At the size the map first opens with: its status lines and legend fit there.
  bool ok = Save(map, folder, "coast-map-layers.png");
  // Zoomed in on the middle of the map, the page's position lies outside the view, and
  // showing it again centres the view on it.
  for (int step = 0; step < 5; ++step) map->ZoomIn();
  map->ShowMarker(true, -33.85, 151.35);
  // The cursor on the position: the status line shows its separation.
  const CPixelPt at = map->View().MapToClient(CMapPt(151.35f, -33.85f));
  QMouseEvent move(QEvent::MouseMove, QPointF(at.x, at.y), map->mapToGlobal(QPointF(at.x, at.y)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(map, &move);
  return Save(map, folder, "coast-map-layers-zoomed.png") && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: marevert-screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  QDir().mkpath(folder.path());

  // A fresh profile in memory: the pictures show a first start, and the user's own
  // settings are neither read nor changed. Messages go to the console.
  CMemoryProfile profile;
  CScopedProfile scopedProfile(&profile);
  // The point page shows a worked example: a depth off Sydney Heads on the demo grid.
  profile.WriteString("Point Transform", "From", "LAT");
  profile.WriteString("Point Transform", "Lat", "-33.85");
  profile.WriteString("Point Transform", "Lon", "151.35");
  profile.WriteString("Point Transform", "Ht", "1.5");
  // The coast map shows both grid layers.
  profile.WriteInt(CDlgMap::kPlacementSection, CMapLayers::kCoverageKey, 1);
  profile.WriteInt(CDlgMap::kPlacementSection, CMapLayers::kSeparationKey, 1);
  CThreadJobRunner runner(false);
  CScopedJobRunner scopedRunner(&runner);

  bool ok = true;
  {
    CDlgDisclaimer disclaimer("Marevert Disclaimer", "Licence.rtf", false);
    disclaimer.show();
    ok = Save(&disclaimer, folder, "disclaimer.png") && ok;
  }
  {
    CGridGenDlg settings;
    settings.show();
    ok = Save(&settings, folder, "grid-generation-settings.png") && ok;
  }

  CMarevertDlg window;
  window.SetDisclaimerRunner([](QWidget*, const std::string&, const std::string&, bool) { return true; });
  if (!window.Initialise()) return 1;
  window.show();
  const char* const names[] = {"file-transformation.png", "point-transformation.png", "grid-file.png", "about.png"};
  for (int tab = 0; tab < 4; ++tab) {
    window.TabBar()->setCurrentIndex(tab);
    ok = Save(&window, folder, names[tab]) && ok;
    if (tab == 1) ok = SaveMap(folder) && ok;
  }
  return ok ? 0 : 1;
}
