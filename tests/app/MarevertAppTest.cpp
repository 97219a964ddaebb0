// Start-up mode selection from the command line.
#include <gtest/gtest.h>

#include "app/MarevertApp.h"

namespace {

using EMode = CMarevertApp::EMode;

TEST(MarevertAppMode, OnlyTheExactSingleArgumentBuildsAGrid) {
  EXPECT_EQ(CMarevertApp::SelectMode({"-grid"}), EMode::GridBuilding);
  // Case, blanks, another switch character or more arguments start the main window.
  for (const QStringList& arguments :
       {QStringList{}, QStringList{"-GRID"}, QStringList{"-Grid"}, QStringList{"-grid "}, QStringList{" -grid"},
        QStringList{"/grid"}, QStringList{"--grid"}, QStringList{"grid"}, QStringList{"-grid", "x.txt"},
        QStringList{"-grid", ""}, QStringList{""}})
    EXPECT_EQ(CMarevertApp::SelectMode(arguments), EMode::Normal) << arguments.join('|').toStdString();
}

TEST(MarevertAppMode, DisplayIsFoundFromTheEnvironment) {
  const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY"),
                   platform = qgetenv("QT_QPA_PLATFORM");
  qunsetenv("DISPLAY");
  qunsetenv("WAYLAND_DISPLAY");
  qunsetenv("QT_QPA_PLATFORM");
  EXPECT_FALSE(CMarevertApp::HasDisplay());
  qputenv("QT_QPA_PLATFORM", "offscreen");
  EXPECT_TRUE(CMarevertApp::HasDisplay());
  qunsetenv("QT_QPA_PLATFORM");
  qputenv("DISPLAY", ":5");
  EXPECT_TRUE(CMarevertApp::HasDisplay());
  auto restore = [](const char* name, const QByteArray& value) {
    if (value.isNull())
      qunsetenv(name);
    else
      qputenv(name, value);
  };
  restore("DISPLAY", display);
  restore("WAYLAND_DISPLAY", wayland);
  restore("QT_QPA_PLATFORM", platform);
}

}  // namespace
