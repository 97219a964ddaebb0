#include "gui/windows/GuiJobRunner.h"

#include <QApplication>
#include <QThread>

#include "gui/windows/ProgressDlg.h"

void CGuiJobRunner::RunModal(CProcessBase& job, const std::string& caption, bool allowCancel) {
  if (!qApp || QThread::currentThread() != qApp->thread()) {
    CThreadJobRunner(false).RunModal(job, caption, allowCancel);
    return;
  }
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner) owner = QApplication::activeWindow();
  CProgressDlg dialog(caption, &job, allowCancel, owner);
  dialog.exec();
}
