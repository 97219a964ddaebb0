#include "gui/app/MarevertApp.h"

#include <QApplication>
#include <cstdlib>

#include "core/common/Profile.h"
#include "core/grid/GridProc.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "gui/app/MarevertDlg.h"
#include "gui/pages/GridGenDlg.h"
#include "gui/qt/ProgramIdentity.h"
#include "gui/qt/SettingsProfile.h"
#include "gui/windows/GuiJobRunner.h"
#include "gui/windows/GuiMessenger.h"

CMarevertApp::CMarevertApp(int& argc, char** argv) {
  m_app = std::make_unique<QApplication>(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Orvane"));
  QApplication::setApplicationName(CSettingsProfile::ProgramName());
  // Every window without an icon of its own, dialogs and message boxes included, shows this one.
  QApplication::setWindowIcon(ProgramIcon());
  m_profile = std::make_unique<CSettingsProfile>();
  SetProfile(m_profile.get());
  m_messenger = std::make_unique<CGuiMessenger>();
  SetMessenger(m_messenger.get());
  m_runner = std::make_unique<CGuiJobRunner>();
  SetJobRunner(m_runner.get());
}

CMarevertApp::~CMarevertApp() {
  SetJobRunner(nullptr);
  SetMessenger(nullptr);
  SetProfile(nullptr);
  if (m_profile) m_profile->Sync();
}

CMarevertApp::EMode CMarevertApp::SelectMode(const QStringList& arguments) {
  // The whole command line after the program name must be exactly "-grid".
  if (arguments.size() == 1 && arguments.front() == QLatin1String("-grid")) return EMode::GridBuilding;
  return EMode::Normal;
}

bool CMarevertApp::HasDisplay() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int CMarevertApp::Run() {
  QStringList arguments = QApplication::arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();
  return SelectMode(arguments) == EMode::GridBuilding ? RunGridBuilding() : RunMainWindow();
}

int CMarevertApp::RunGridBuilding() {
  CGridGenDlg settings;
  if (settings.exec() == QDialog::Accepted) BuildGrid(settings);
  return 0;
}

void CMarevertApp::BuildGrid(const CGridGenDlg& settings) {
  CGridProc job(settings.GetSettings());
  job.SetCancel(false);
  GetJobRunner().RunModal(job, "Building grid file", true);
}

int CMarevertApp::RunMainWindow() {
  CMarevertDlg dialog;
  return dialog.Run();
}
