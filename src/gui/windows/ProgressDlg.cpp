#include "gui/windows/ProgressDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <system_error>

#include "core/jobs/Messenger.h"
#include "core/jobs/ProcessBase.h"
#include "gui/qt/DialogUnits.h"
#include "gui/qt/WindowPlacement.h"

// Receives the job's notifications on the worker thread and queues them on the UI
// thread. The window is the context of each queued call, so calls still pending when
// the window goes are dropped with it.
class CProgressDlg::CWindowAdapter : public CProcessWindow {
 public:
  explicit CWindowAdapter(CProgressDlg* dialog) : m_dialog(dialog) {}

  void OnProcessProgress(unsigned percent) override {
    CProgressDlg* dialog = m_dialog;
    QMetaObject::invokeMethod(
        dialog, [dialog, percent] { dialog->OnProgress(percent); }, Qt::QueuedConnection);
  }
  // Called with the job's lock held: only queue, never call back into the job here.
  void OnProcessText() override {
    CProgressDlg* dialog = m_dialog;
    QMetaObject::invokeMethod(
        dialog, [dialog] { dialog->OnText(); }, Qt::QueuedConnection);
  }
  void OnProcessDone() override {
    CProgressDlg* dialog = m_dialog;
    QMetaObject::invokeMethod(
        dialog, [dialog] { dialog->OnDone(); }, Qt::QueuedConnection);
  }

 private:
  CProgressDlg* m_dialog;
};

const char* const CProgressDlg::kThreadFailedText = "Failed to create processing thread ...";

CProgressDlg::CProgressDlg(const std::string& caption, CProcessBase* process, bool allowCancel, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_caption(caption),
      m_process(process),
      m_allowCancel(allowCancel),
      m_text(new QLabel(this)),
      m_progress(new QProgressBar(this)),
      m_cancel(new QPushButton(tr("Cancel"), this)),
      m_adapter(std::make_unique<CWindowAdapter>(this)) {
  const CDialogUnits units(font());
  setFixedSize(units.X(310), units.Y(78));
  m_text->setGeometry(units.Rect(7, 7, 296, 12));
  m_progress->setGeometry(units.Rect(7, 37, 296, 12));
  m_cancel->setGeometry(units.Rect(129, 57, 50, 14));
  m_progress->setTextVisible(false);
  m_cancel->setAutoDefault(false);
  connect(m_cancel, &QPushButton::clicked, this, &CProgressDlg::reject);
}

CProgressDlg::~CProgressDlg() {
  if (m_thread.joinable()) {
    m_process->SetCancel(true);
    JoinWorker();
  }
}

void CProgressDlg::showEvent(QShowEvent* event) {
  if (!m_initialised) {
    m_initialised = true;
    Initialise();
  }
  QDialog::showEvent(event);
}

void CProgressDlg::Initialise() {
  if (!m_allowCancel) m_cancel->hide();
  setWindowTitle(QString::fromStdString(m_caption));
  m_text->clear();
  RestoreWindowPlacement(m_caption, this, true);
  m_progress->setRange(0, 100);
  m_progress->setValue(0);
  if (!m_process) {  // nothing to run: end at once
    QMetaObject::invokeMethod(
        this, [this] { End(); }, Qt::QueuedConnection);
    return;
  }
  m_process->SetWindow(m_adapter.get());
  if (!StartWorker()) {
    m_process->SetWindow(nullptr);
    GetMessenger().ShowMessage(kThreadFailedText);
    // Ended from the event loop: the modal loop is not running yet while showing.
    QMetaObject::invokeMethod(
        this, [this] { End(); }, Qt::QueuedConnection);
  }
}

bool CProgressDlg::StartWorker() {
  try {
    m_thread = std::thread(ProcessThreadEntry, m_process);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void CProgressDlg::reject() {
  if (m_process) m_process->SetCancel(true);
}

void CProgressDlg::OnProgress(unsigned percent) { m_progress->setValue(static_cast<int>(std::min(percent, 100u))); }

void CProgressDlg::OnText() {
  if (m_process) m_text->setText(QString::fromStdString(m_process->GetText()));
}

void CProgressDlg::OnDone() {
  // The body has returned and the worker touches nothing of the job any more.
  JoinWorker();
  End();
}

void CProgressDlg::JoinWorker() {
  if (m_thread.joinable()) m_thread.join();
  if (m_process) m_process->SetWindow(nullptr);
}

void CProgressDlg::End() {
  SaveWindowPlacement(m_caption, this);
  done(QDialog::Rejected);
}
