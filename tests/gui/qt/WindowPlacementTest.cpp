#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "gui/qt/WindowPlacement.h"
#include "support/GuiFixture.h"
#include "support/QtTestUtil.h"

namespace {

QSize ScreenSize() { return QGuiApplication::primaryScreen()->geometry().size(); }

void Store(CMemoryProfile& profile, const std::string& section, int left, int top, int right, int bottom) {
  profile.WriteInt(section, "Wnd Left", left);
  profile.WriteInt(section, "Wnd Top", top);
  profile.WriteInt(section, "Wnd Right", right);
  profile.WriteInt(section, "Wnd Bottom", bottom);
}

// Placements are kept in an empty profile unless a test says otherwise.
using WindowPlacement = CGuiFixture;

}  // namespace

TEST_F(WindowPlacement, SaveWritesTheRectangleWithRightAndBottomOnePast) {
  QWidget window;
  window.setGeometry(30, 40, 200, 100);
  SaveWindowPlacement("Grid summary", &window);
  EXPECT_EQ(m_profile.GetInt("Grid summary", "Wnd Left", -1), 30);
  EXPECT_EQ(m_profile.GetInt("Grid summary", "Wnd Top", -1), 40);
  EXPECT_EQ(m_profile.GetInt("Grid summary", "Wnd Right", -1), 230);
  EXPECT_EQ(m_profile.GetInt("Grid summary", "Wnd Bottom", -1), 140);

  // Round trip through a second window.
  QWidget other;
  other.resize(10, 10);
  RestoreWindowPlacement("Grid summary", &other, false);
  EXPECT_EQ(other.geometry(), QRect(30, 40, 200, 100));
}

TEST_F(WindowPlacement, NothingHappensWithoutProfileSectionOrWindow) {
  QWidget window;
  window.setGeometry(30, 40, 200, 100);
  {
    CScopedProfile none(nullptr);
    SaveWindowPlacement("Section", &window);
    RestoreWindowPlacement("Section", &window, false);  // would centre if it ran
    EXPECT_EQ(window.geometry(), QRect(30, 40, 200, 100));
  }
  SaveWindowPlacement("", &window);
  SaveWindowPlacement("Section", nullptr);
  RestoreWindowPlacement("", &window, false);
  RestoreWindowPlacement("Section", nullptr, true);
  EXPECT_FALSE(m_profile.Has("", "Wnd Left"));
  EXPECT_FALSE(m_profile.Has("Section", "Wnd Left"));
  EXPECT_EQ(window.geometry(), QRect(30, 40, 200, 100));
}

TEST_F(WindowPlacement, RestoreMovesAndOptionallyResizes) {
  Store(m_profile, "Processing files ...", 10, 20, 110, 220);
  QWidget keep;
  keep.resize(300, 90);
  RestoreWindowPlacement("Processing files ...", &keep, true);
  EXPECT_EQ(keep.geometry(), QRect(10, 20, 300, 90));

  QWidget sized;
  sized.resize(300, 90);
  RestoreWindowPlacement("Processing files ...", &sized, false);
  EXPECT_EQ(sized.geometry(), QRect(10, 20, 100, 200));
}

TEST_F(WindowPlacement, UnusableRectanglesCentreTheWindow) {
  const QSize screen = ScreenSize();
  const int W = screen.width(), H = screen.height();

  // The whole screen and a zero-size rectangle at its far corner are still usable.
  Store(m_profile, "edge", 0, 0, W, H);
  QWidget edge;
  edge.resize(50, 50);
  RestoreWindowPlacement("edge", &edge, false);
  EXPECT_EQ(edge.geometry(), QRect(0, 0, W, H));
  Store(m_profile, "corner", W, H, W, H);
  QWidget corner;
  corner.resize(50, 50);
  RestoreWindowPlacement("corner", &corner, true);
  EXPECT_EQ(corner.pos(), QPoint(W, H));

  struct Case {
    const char* what;
    int left, top, right, bottom;
  };
  const Case cases[] = {{"nothing stored", -1, -1, -1, -1},          {"left of the screen", -300, 10, -100, 100},
                        {"past the right edge", 10, 10, W + 1, 100}, {"below the screen", 10, H - 50, 200, H + 50},
                        {"above the screen", 10, -1, 200, 100},      {"right before left", 200, 10, 100, 100},
                        {"bottom before top", 10, 200, 100, 100}};
  for (const Case& c : cases) {
    const std::string section = c.what;
    if (c.left != -1) Store(m_profile, section, c.left, c.top, c.right, c.bottom);
    QWidget window;
    window.setGeometry(1, 2, 120, 80);
    RestoreWindowPlacement(section, &window, false);
    EXPECT_EQ(window.geometry(), QRect(ScreenCentreFor(QSize(120, 80)), QSize(120, 80))) << c.what;
  }
}

TEST_F(WindowPlacement, CentresOnTheOwnerWhenThereIsOne) {
  QWidget owner;
  owner.setGeometry(100, 100, 400, 300);
  QDialog dialog(&owner);
  dialog.resize(200, 100);
  RestoreWindowPlacement("CDlgMap", &dialog, true);
  EXPECT_EQ(dialog.geometry(), QRect(200, 200, 200, 100));
}

TEST_F(WindowPlacement, PlaceBesideUsesTheSideWithRoomElseCoversTheOwnerLeast) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const int left = area.left(), top = area.top(), right = area.right() + 1, bottom = area.bottom() + 1;
  const int w = (area.width() - 320) / 2 + 20;  // fits beside an owner of 320 on neither side
  const std::pair<QRect, QPoint> cases[] = {
      {QRect(left, top + 10, 200, 100), QPoint(left + 200, top + 10)},              // to its right
      {QRect(right - 200, top + 10, 200, 100), QPoint(right - 200 - w, top + 10)},  // to its left
      {QRect(left + w - 30, top, 320, 100), QPoint(right - w, top)},                // more room right
      {QRect(left + w - 10, top, 320, 100), QPoint(left, top)},                     // more room left
      {QRect(left, bottom - 50, 200, 40), QPoint(left + 200, bottom - 200)},        // moved up onto the screen
  };
  for (const auto& [ownerRect, expected] : cases) {
    QWidget owner, window;
    owner.setGeometry(ownerRect);
    window.resize(w, 200);
    PlaceBeside(&window, &owner);
    EXPECT_EQ(window.frameGeometry().topLeft(), expected);
  }
  {
    CScopedProfile none(nullptr);
    EXPECT_FALSE(HasWindowPlacement("CDlgMap"));
  }
  EXPECT_FALSE(HasWindowPlacement("CDlgMap"));
  m_profile.WriteInt("CDlgMap", "Wnd Bottom", -1);
  EXPECT_TRUE(HasWindowPlacement("CDlgMap"));
}
