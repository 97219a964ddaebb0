#include "gui/qt/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <climits>

#include "core/common/Profile.h"

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

bool HasWindowPlacement(const std::string& section) {
  CProfile* profile = GetProfile();
  if (!profile) return false;
  for (const char* key : {kLeft, kTop, kRight, kBottom})
    if (profile->GetInt(section, key, INT_MIN) != INT_MIN) return true;
  return false;
}

void PlaceBeside(QWidget* window, const QWidget* owner) {
  if (!window || !owner) return;
  QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect beside = owner->frameGeometry();
  // A window that has not been shown has no frame yet; the window manager will give it
  // one like the owner's.
  const QSize frame = window->size() + (beside.size() - owner->size());

  const int roomRight = area.right() - beside.right();
  const int roomLeft = beside.left() - area.left();
  int x;
  if (roomRight >= frame.width())
    x = beside.right() + 1;
  else if (roomLeft >= frame.width())
    x = beside.left() - frame.width();
  else if (roomRight >= roomLeft)
    x = area.right() + 1 - frame.width();
  else
    x = area.left();
  x = std::max(x, area.left());
  const int y = std::max(area.top(), std::min(beside.top(), area.bottom() + 1 - frame.height()));
  window->move(x, y);  // moves the frame's top-left corner
}
