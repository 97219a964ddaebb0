// Takes a picture of each page of the real main window, of the disclaimer and of the
// grid generation settings dialog, on Qt's offscreen platform, with the data files
// beside the program (the demo grid is loaded as at a first start).
//   marevert-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QTabBar>
#include <cstdio>

#include "app/MarevertDlg.h"
#include "common/Profile.h"
#include "process/JobRunner.h"
#include "ui/DlgDisclaimer.h"
#include "ui/GridGenDlg.h"

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
  }
  return ok ? 0 : 1;
}
