// Entry point of the Qt test executables: a QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/ClassWideValues.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  CheckClassWideValuesAfterEachTest();
  return RUN_ALL_TESTS();
}
