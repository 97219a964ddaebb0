# Marevert as a library: the core as a shared library too, and what `cmake --install`
# gives a C++ consumer: the public headers (include/marevert), both libraries, a CMake
# package (find_package(Marevert) gives Marevert::core, the shared library, and
# Marevert::core_static) and a pkg-config file (marevert).
set(MAREVERT_SOVERSION 0)

# The shared library is made of the static one's objects, so nothing is compiled twice.
add_library(marevert_core_shared SHARED $<TARGET_OBJECTS:marevert_core>)
target_link_libraries(marevert_core_shared PUBLIC Threads::Threads)
target_include_directories(marevert_core_shared INTERFACE $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>)
set_target_properties(marevert_core_shared PROPERTIES
  OUTPUT_NAME marevert_core
  VERSION ${PROJECT_VERSION}
  SOVERSION ${MAREVERT_SOVERSION}
  EXPORT_NAME core
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set_target_properties(marevert_core PROPERTIES EXPORT_NAME core_static)
target_include_directories(marevert_core INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_include_directories(marevert_core_shared INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

install(TARGETS marevert_core marevert_core_shared EXPORT MarevertTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/marevert DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(MAREVERT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Marevert)
install(EXPORT MarevertTargets NAMESPACE Marevert:: DESTINATION ${MAREVERT_CMAKE_DIR})
include(CMakePackageConfigHelpers)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/MarevertConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/generated/MarevertConfig.cmake
                              INSTALL_DESTINATION ${MAREVERT_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/generated/MarevertConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/generated/MarevertConfig.cmake
              ${CMAKE_BINARY_DIR}/generated/MarevertConfigVersion.cmake
        DESTINATION ${MAREVERT_CMAKE_DIR})

# The pkg-config file finds the prefix from its own place, so that the installed tree
# may be moved or installed under another prefix than the configured one. Its link
# flags carry the library folder as the program's run path too: a program linked
# with them finds libmarevert_core.so.0 under any prefix, without LD_LIBRARY_PATH
# (CMake's find_package consumers get the same from CMake).
file(RELATIVE_PATH MAREVERT_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${CMAKE_SOURCE_DIR}/cmake/marevert.pc.in ${CMAKE_BINARY_DIR}/generated/marevert.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/generated/marevert.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
