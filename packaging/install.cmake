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
# The entry names the installed executable; the prefix is known only at
# install time (cmake --install --prefix), so it is written then.
install(CODE "
  set(VORLIX_EXEC \"\\\"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/Vorlix\\\"\")
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/vorlix.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/packaging/vorlix.desktop.in\" \"\${entry}\" @ONLY)
")
