#include "gui/windows/DlgDisclaimer.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>

#include "core/common/PathUtil.h"
#include "gui/qt/DialogUnits.h"
#include "gui/windows/RtfReader.h"

namespace {

void OpenWithDesktop(const QString& link) { QDesktopServices::openUrl(QUrl::fromUserInput(link)); }

CDlgDisclaimer::CLinkOpener& LinkOpener() {
  static CDlgDisclaimer::CLinkOpener opener = OpenWithDesktop;
  return opener;
}

}  // namespace

const char* const CDlgDisclaimer::kLoadFailedText = "Cannot load message text, please re-install software";

CDlgDisclaimer::CLinkOpener CDlgDisclaimer::SetLinkOpener(CLinkOpener opener) {
  CLinkOpener previous = LinkOpener();
  LinkOpener() = opener ? std::move(opener) : CLinkOpener(OpenWithDesktop);
  return previous;
}

CDlgDisclaimer::CDlgDisclaimer(const std::string& title, const std::string& file, bool singleButton, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_title(title),
      m_file(file),
      m_bSingleButton(singleButton),
      m_view(new QTextBrowser(this)),
      m_btnAccept(new QPushButton(tr("Accept"), this)),
      m_btnDecline(new QPushButton(tr("Decline"), this)) {
  const CDialogUnits units(font());
  setFixedSize(units.X(419), units.Y(205));
  m_view->setGeometry(units.Rect(3, 3, 412, 178));
  m_btnAccept->setGeometry(units.Rect(155, 186, 50, 14));
  m_btnDecline->setGeometry(units.Rect(213, 186, 50, 14));

  setWindowTitle(QString::fromStdString(m_title));
  m_btnAccept->setDefault(true);
  if (m_bSingleButton) {
    m_btnAccept->hide();
    m_btnDecline->setText(tr("OK"));
  }

  // A read-only view whose lines wrap at its width. Links are handled here, on the
  // press, so the browser must neither follow them nor open them itself.
  m_view->setReadOnly(true);
  m_view->setOpenLinks(false);
  m_view->setOpenExternalLinks(false);
  m_view->setLineWrapMode(QTextEdit::WidgetWidth);
  m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_view->viewport()->installEventFilter(this);

  connect(m_btnAccept, &QPushButton::clicked, this, &CDlgDisclaimer::OnAccept);
  connect(m_btnDecline, &QPushButton::clicked, this, &CDlgDisclaimer::OnDecline);
  LoadDocument();
}

void CDlgDisclaimer::LoadDocument() {
  std::string folder;
  if (!GetProgramFolder(folder)) folder.clear();  // the bare file name then
  const QString path = QString::fromStdString(folder + m_file);
  if (!CRtfReader::LoadFile(path, *m_view->document())) {
    m_view->setPlainText(QString::fromLatin1(kLoadFailedText));
    m_btnAccept->setEnabled(false);
  }
}

void CDlgDisclaimer::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  m_view->setFocus();
}

void CDlgDisclaimer::closeEvent(QCloseEvent* event) { event->ignore(); }

bool CDlgDisclaimer::eventFilter(QObject* watched, QEvent* event) {
  // Only a left press over a link opens it; hovering and releasing are left to the view.
  if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) {
      const QString link = m_view->anchorAt(mouse->position().toPoint());
      if (!link.isEmpty()) {
        qsizetype start = 0;
        while (start < link.size() && link.at(start).isSpace()) ++start;
        const QString target = link.mid(start);
        if (!target.isEmpty()) LinkOpener()(target);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CDlgDisclaimer::OnAccept() {
  m_bAccepted = true;
  done(QDialog::Accepted);
}

void CDlgDisclaimer::OnDecline() {
  m_bAccepted = false;
  done(QDialog::Accepted);
}
