# marevert-cli build-grid: arguments, output and exit codes.
marevert_add_test(test_cli_buildgrid ${CMAKE_CURRENT_LIST_DIR}/BuildGridCliTest.cpp)
add_dependencies(test_cli_buildgrid marevert-cli)
