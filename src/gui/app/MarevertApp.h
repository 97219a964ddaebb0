#pragma once
// The desktop program's application object: prepares Qt and the per-user profile, then
// runs one of two modes chosen by the command line. With the single argument "-grid"
// (exact and case-sensitive) it only builds a grid file: the settings dialog, then the
// generation job under the progress window. Otherwise it runs the main window. The
// program ends when that mode has finished.

#include <QStringList>
#include <memory>

class QApplication;
class CSettingsProfile;
class CGuiMessenger;
class CGuiJobRunner;
class CGridGenDlg;

class CMarevertApp {
 public:
  enum class EMode { Normal, GridBuilding };

  // Creates the QApplication and installs the profile, the messenger and the job runner.
  CMarevertApp(int& argc, char** argv);
  ~CMarevertApp();
  CMarevertApp(const CMarevertApp&) = delete;
  CMarevertApp& operator=(const CMarevertApp&) = delete;

  // Runs the mode of the command line; returns the process exit status.
  int Run();

  // The mode for the arguments after the program name.
  static EMode SelectMode(const QStringList& arguments);

  // Runs the grid generation job with the settings of a dialog closed with OK, under the
  // installed job runner as "Building grid file" with Cancel. The job reports its
  // failures and the "Grid summary" through the messenger.
  static void BuildGrid(const CGridGenDlg& settings);

  // Whether a window system is reachable: a display named in the environment, or a Qt
  // platform chosen explicitly (offscreen, vnc, ...).
  static bool HasDisplay();

 private:
  int RunGridBuilding();
  int RunMainWindow();

  std::unique_ptr<QApplication> m_app;
  std::unique_ptr<CSettingsProfile> m_profile;
  std::unique_ptr<CGuiMessenger> m_messenger;
  std::unique_ptr<CGuiJobRunner> m_runner;
};
