#pragma once
// The common base of the main window's pages. Pages are child widgets that never close
// themselves (Enter and Escape are ignored). The main window posts them the page
// refresh event when the sign convention changes; a page that shows results which
// depend on it overrides OnRefresh.

#include <QEvent>
#include <QWidget>

class CPageBase : public QWidget {
  Q_OBJECT

 public:
  // The page refresh event, posted (not sent) to the current page.
  static QEvent::Type RefreshEventType();

  explicit CPageBase(QWidget* parent = nullptr);

 protected:
  // Called on the UI thread when a posted refresh event arrives. Default: nothing.
  virtual void OnRefresh() {}

  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};
