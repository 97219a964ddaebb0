#pragma once
// Small helpers for the Qt tests of jobs, windows and pages.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

// Processes events until `done` holds or `ms` milliseconds have passed; returns `done`.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

inline void PressKey(QWidget* target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}

// The texts of a list's rows, top to bottom.
inline std::vector<QString> ListTexts(const QListWidget* list) {
  std::vector<QString> texts;
  for (int row = 0; row < list->count(); ++row) texts.push_back(list->item(row)->text());
  return texts;
}

// Where a window of `size` (its frame) stands when centred on the screen's free area.
inline QPoint ScreenCentreFor(const QSize& size) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  return QPoint(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

// Calls `handle` for every visible top-level window of type T, a few times a second,
// while the object lives; modal windows shown by the code under test can be closed so.
template <class T>
class CWindowCloser {
 public:
  explicit CWindowCloser(std::function<void(T*)> handle) : m_handle(std::move(handle)) {
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (T* window = qobject_cast<T*>(w); window && window->isVisible()) m_handle(window);
    });
    m_timer.start();
  }

 private:
  std::function<void(T*)> m_handle;
  QTimer m_timer;
};
