#include "process/GuiMessenger.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "process/MessageDlg.h"
#include "ui/DlgDisclaimer.h"

namespace {

// The window that the shown window belongs to: the modal window on top (normally the
// progress window), else the active one.
QWidget* Owner() {
  QWidget* owner = QApplication::activeModalWidget();
  return owner ? owner : QApplication::activeWindow();
}

}  // namespace

CGuiMessenger::CGuiMessenger() : m_receiver(std::make_unique<QObject>()) {}

CGuiMessenger::~CGuiMessenger() = default;

void CGuiMessenger::OnUiThread(const std::function<void()>& call) {
  if (QThread::currentThread() == m_receiver->thread()) {
    call();
    return;
  }
  QMetaObject::invokeMethod(m_receiver.get(), call, Qt::BlockingQueuedConnection);
}

void CGuiMessenger::ShowMessage(const std::string& text) {
  OnUiThread([&text] {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), QString::fromStdString(text),
                    QMessageBox::Ok, Owner());
    box.exec();
  });
}

void CGuiMessenger::ShowMessageList(const std::string& title, const std::vector<std::string>& lines) {
  OnUiThread([&] {
    CMessageDlg dialog(title, &lines, Owner());
    dialog.exec();
  });
}

bool CGuiMessenger::ShowDocument(const std::string& title, const std::string& file, bool singleButton) {
  bool accepted = false;
  OnUiThread([&] {
    CDlgDisclaimer dialog(title, file, singleButton, Owner());
    dialog.exec();
    accepted = dialog.IsAccepted();
  });
  return accepted;
}
