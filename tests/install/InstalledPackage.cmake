# Installs the build into WORK_DIR/prefix and uses it from outside (see CMakeLists.txt).
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# The consumer's output for the demo grid: two positions carried over, one outside.
function(check_consumer_output text)
  if(NOT text MATCHES "-33.850000 151.350000 12.00 LAT -> [0-9.-]+ AHD\n.*outside the grid\n$")
    message(FATAL_ERROR "Unexpected consumer output:\n${text}")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(GLOB shared ${prefix}/lib*/libmarevert_core.so.0.* ${prefix}/lib*/*/libmarevert_core.so.0.*)
file(GLOB static ${prefix}/lib*/libmarevert_core.a ${prefix}/lib*/*/libmarevert_core.a)
if(NOT shared OR NOT static OR NOT EXISTS ${prefix}/include/marevert/Marevert.h)
  message(FATAL_ERROR "The installed tree lacks a library or the headers")
endif()

# find_package(Marevert), out of tree.
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/consumer -B ${WORK_DIR}/consumer -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/consumer ${GRID})
check_consumer_output("${out}")

# pkg-config.
file(GLOB pcdir ${prefix}/lib*/pkgconfig ${prefix}/lib*/*/pkgconfig)
run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pcdir} pkg-config --cflags --libs marevert)
separate_arguments(flags UNIX_COMMAND "${out}")
run(c++ -std=c++20 ${SOURCE_DIR}/examples/consumer/main.cpp ${flags} -o ${WORK_DIR}/consumer_pc)
# The run path comes with pkg-config's flags: no LD_LIBRARY_PATH.
run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${WORK_DIR}/consumer_pc ${GRID})
check_consumer_output("${out}")

# The Python module from the prefix.
file(GLOB_RECURSE module ${prefix}/lib*/marevert.cpython-*.so)
get_filename_component(moduledir "${module}" DIRECTORY)
run(${CMAKE_COMMAND} -E env PYTHONPATH=${moduledir} ${PYTHON} -c
    "import marevert, sys\nassert marevert.__file__.startswith(sys.argv[1]), marevert.__file__\nprint(len(marevert.references()))"
    ${prefix})
if(NOT out STREQUAL "16\n" OR NOT EXISTS ${moduledir}/marevert.pyi)
  message(FATAL_ERROR "The installed module did not load as expected: ${out}")
endif()
