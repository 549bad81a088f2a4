# cmake --install and the Debian package: the executable, its desktop entry,
# icon and AppStream metainfo. An installed Vorlix that cannot write beside
# itself keeps its data files in the user's data folder.
include(GNUInstallDirs)
install(TARGETS Vorlix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/art/icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME vorlix.png)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vorlix.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME example.kelto.Vorlix.metainfo.xml)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vorlix)
# Debian wants the change log and the manual page compressed, without a time
# stamp in the gzip header.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
foreach(page changelog Vorlix.1)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${page})
  execute_process(COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/${page}
                  OUTPUT_FILE ${PROJECT_BINARY_DIR}/packaging/${page}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vorlix)
install(FILES ${PROJECT_BINARY_DIR}/packaging/Vorlix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The entry names the installed executable; the prefix is known only at
# install time (cmake --install --prefix), so it is written then.
install(CODE "
  set(VORLIX_EXEC \"\\\"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/Vorlix\\\"\")
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/vorlix.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/packaging/vorlix.desktop.in\" \"\${entry}\" @ONLY)
")
