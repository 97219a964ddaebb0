#include "common/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "common/Profile.h"

namespace {

const char kLeft[] = "Wnd Left";
const char kTop[] = "Wnd Top";
const char kRight[] = "Wnd Right";
const char kBottom[] = "Wnd Bottom";

QScreen* ScreenOf(QWidget* window) {
  QScreen* screen = window->screen();
  return screen ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

void SaveWindowPlacement(const std::string& section, QWidget* window) {
  CProfile* profile = GetProfile();
  if (section.empty() || !profile || !window) return;
  const QPoint corner = window->frameGeometry().topLeft();
  const QSize size = window->size();
  profile->WriteInt(section, kLeft, corner.x());
  profile->WriteInt(section, kTop, corner.y());
  profile->WriteInt(section, kRight, corner.x() + size.width());
  profile->WriteInt(section, kBottom, corner.y() + size.height());
}

void RestoreWindowPlacement(const std::string& section, QWidget* window, bool keepSize) {
  CProfile* profile = GetProfile();
  if (section.empty() || !profile || !window) return;
  const int left = profile->GetInt(section, kLeft, -1);
  const int top = profile->GetInt(section, kTop, -1);
  const int right = profile->GetInt(section, kRight, -1);
  const int bottom = profile->GetInt(section, kBottom, -1);

  QScreen* primary = QGuiApplication::primaryScreen();
  const QSize screen = primary ? primary->geometry().size() : QSize(0, 0);
  const bool usable = 0 <= left && left <= screen.width() && left <= right && right <= screen.width() && 0 <= top &&
                      top <= screen.height() && top <= bottom && bottom <= screen.height();
  if (!usable) {
    CentreWindow(window);
    return;
  }
  window->move(left, top);  // moves the frame's top-left corner
  if (!keepSize) window->resize(right - left, bottom - top);
}

void CentreWindow(QWidget* window) {
  if (!window) return;
  QRect area;
  QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
  if (owner && owner != window) {
    area = owner->frameGeometry();
  } else if (QScreen* screen = ScreenOf(window)) {
    area = screen->availableGeometry();
  } else {
    return;
  }
  const QSize size = window->frameGeometry().size();
  window->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}
