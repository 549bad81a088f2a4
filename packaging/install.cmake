# cmake --install: the executable, its desktop entry and its icon. Vorlix
# keeps its data files beside the executable, so a prefix the user can write
# to (for example --prefix ~/.local) is the useful one.
include(GNUInstallDirs)
install(TARGETS Vorlix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/art/icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME vorlix.png)
# The entry names the installed executable; the prefix is known only at
# install time (cmake --install --prefix), so it is written then.
install(CODE "
  set(VORLIX_EXEC \"\\\"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/Vorlix\\\"\")
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/vorlix.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/packaging/vorlix.desktop.in\" \"\${entry}\" @ONLY)
")
