# Grid generation: the limits of its settings, the job, its text parsing and the binary
# grid file it writes.
marevert_add_test(test_gridgen
  ${CMAKE_CURRENT_LIST_DIR}/GridGenLimitsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridProcTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridProcInputTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DemoGridTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridGenTestUtil.h)
