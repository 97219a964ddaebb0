// Entry point of the test executables without windows. The locale comes from the
// environment, as a program that calls setlocale(LC_ALL, "") takes it (QApplication
// does so for the Qt tests): a run with LC_ALL set to a comma-decimal locale then checks
// that no number read or written follows it.
#include <gtest/gtest.h>

#include <clocale>

#include "support/ClassWideValues.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  ::testing::InitGoogleTest(&argc, argv);
  CheckClassWideValuesAfterEachTest();
  return RUN_ALL_TESTS();
}
