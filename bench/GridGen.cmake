# Grid generation against one plain fgets + strtod pass over the same text grid.
add_executable(bench_gridgen ${CMAKE_CURRENT_LIST_DIR}/bench_gridgen.cpp)
set_target_properties(bench_gridgen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
target_link_libraries(bench_gridgen PRIVATE marevert_core)
