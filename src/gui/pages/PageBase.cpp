#include "gui/pages/PageBase.h"

#include <QKeyEvent>

QEvent::Type CPageBase::RefreshEventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

CPageBase::CPageBase(QWidget* parent) : QWidget(parent) {}

bool CPageBase::event(QEvent* event) {
  if (event->type() == RefreshEventType()) {
    OnRefresh();
    return true;
  }
  return QWidget::event(event);
}

void CPageBase::keyPressEvent(QKeyEvent* event) {
  // Enter stops here: neither the page nor the main window takes it as a command.
  // Escape goes on to the main window, which closes on it.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}
