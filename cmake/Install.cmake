# Installation: the two programs and every data file they expect beside them go into
# one folder, <prefix>/<libdir>/marevert, so that an installed program finds its files
# exactly as a freshly built one does (it looks in the folder of its own executable,
# symbolic links resolved). <prefix>/bin gets symbolic links to both programs, and the
# desktop gets an entry and an icon.
set(MAREVERT_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/marevert)

install(TARGETS marevert marevert-cli RUNTIME DESTINATION ${MAREVERT_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${MAREVERT_INSTALL_DIR})

install(FILES ${CMAKE_SOURCE_DIR}/packaging/marevert.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/marevert.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

# Relative links, so that the installed tree can be moved or packaged (DESTDIR).
file(RELATIVE_PATH MAREVERT_BIN_TO_PROGRAMS
     ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${MAREVERT_INSTALL_DIR})
install(CODE "
  foreach(program marevert marevert-cli)
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"${MAREVERT_BIN_TO_PROGRAMS}/\${program}\" \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link} -> ${MAREVERT_BIN_TO_PROGRAMS}/\${program}\")
  endforeach()
")
