# A library is its folder. marevert_includes_check(<folder> TARGET <target> FILES <files>
# ALLOWED <prefixes> [FORBIDDEN_SYSTEM <regex>]) makes <target> depend on a check that
# each of the folder's files includes only headers of the folders in ALLOWED (quoted
# includes are written from src/ or include/). The compiler cannot tell: src/ is on every
# library's include path, so "gui/..." would resolve from a core file. The check runs
# before the target is compiled, and again whenever one of the files changes.
function(marevert_includes_check folder)
  cmake_parse_arguments(ARG "" "TARGET;FORBIDDEN_SYSTEM" "FILES;ALLOWED" ${ARGN})
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CheckIncludes.cmake)
  string(MAKE_C_IDENTIFIER "${folder}_includes" name)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${name}.txt)
  string(REPLACE ";" "\n" lines "${ARG_FILES}")
  file(CONFIGURE OUTPUT ${list_file} CONTENT "${lines}\n" @ONLY)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} -DFILE_LIST=${list_file} "-DALLOWED=${ARG_ALLOWED}"
            "-DFORBIDDEN_SYSTEM=${ARG_FORBIDDEN_SYSTEM}" -DSTAMP=${stamp} -P ${script}
    DEPENDS ${ARG_FILES} ${list_file} ${script}
    COMMENT "Checking what ${folder} includes"
    VERBATIM)
  add_custom_target(${name} DEPENDS ${stamp})
  add_dependencies(${ARG_TARGET} ${name})
endfunction()
