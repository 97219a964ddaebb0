#include "gui/windows/GuiMessenger.h"

#include <QApplication>
#include <QThread>
#include <future>
#include <memory>

#include "gui/qt/MessageBox.h"
#include "gui/windows/DlgDisclaimer.h"
#include "gui/windows/MessageDlg.h"

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
  // The same wait as Qt::BlockingQueuedConnection, but on a standard promise: Qt's own
  // semaphore is invisible to the thread sanitizer, which then reports every result the
  // call hands back (and the call object itself) as a race. The promise is kept when the
  // call has run, or when the queued call is discarded unrun (its receiver destroyed),
  // where Qt's wait ends as well.
  struct Done {
    std::promise<void> promise;
    ~Done() { promise.set_value(); }
  };
  auto done = std::make_shared<Done>();
  std::future<void> finished = done->promise.get_future();
  QMetaObject::invokeMethod(
      m_receiver.get(),
      [done = std::move(done), &call]() mutable {
        call();
        done.reset();
      },
      Qt::QueuedConnection);
  finished.wait();
}

void CGuiMessenger::ShowMessage(const std::string& text) {
  OnUiThread([&text] { ShowMessageBox(Owner(), QString::fromStdString(text)); });
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
