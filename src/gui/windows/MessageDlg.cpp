#include "gui/windows/MessageDlg.h"

#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>

#include "gui/qt/DialogUnits.h"
#include "gui/qt/ListBoxExtent.h"
#include "gui/qt/WindowPlacement.h"

CMessageDlg::CMessageDlg(const std::string& title, const std::vector<std::string>* lines, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_title(title),
      m_lines(lines),
      m_list(new QListWidget(this)),
      m_close(new QPushButton(tr("Close"), this)) {
  const CDialogUnits units(font());
  resize(units.X(318), units.Y(186));
  m_list->setGeometry(units.Rect(1, 2, 313, 164));
  m_close->setGeometry(units.Rect(124, 168, 50, 14));
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setSizeGripEnabled(true);
  connect(m_close, &QPushButton::clicked, this, &CMessageDlg::reject);

  RestoreWindowPlacement(m_title, this, false);
  setWindowTitle(QString::fromStdString(m_title));
  if (m_lines)
    for (const std::string& line : *m_lines) m_list->addItem(QString::fromStdString(line));
  Layout();
  if (m_list->count() > 0) m_list->scrollToTop();
}

void CMessageDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Layout();
}

void CMessageDlg::Layout() {
  const int width = this->width();
  const int height = this->height();
  const QSize button = m_close->size();
  m_close->move(width / 2 - button.width() / 2, height - button.height());
  m_list->setGeometry(0, 0, width, height - button.height());
  m_extent = FitListBoxExtent(m_list);
}

void CMessageDlg::done(int result) {
  SaveWindowPlacement(m_title, this);
  QDialog::done(result);
}
