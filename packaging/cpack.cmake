# Packages: a Debian package on Linux; a per-user installer (NSIS) and a
# portable zip on Windows. packaging/package.sh builds each with one command.
set(CPACK_PACKAGE_NAME vorlix)
set(CPACK_PACKAGE_VENDOR Kelto)
set(CPACK_PACKAGE_CONTACT "Kelto <vorlix@kelto.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://www.kelto.example/vorlix)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "close unwanted pop-up windows by title")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Vorlix keeps a blacklist of page titles. Every few seconds it looks for"
  "windows titled with a blacklisted title and a browser's name, and asks"
  "them to close. A panel beside the main window lists the open windows, so"
  "that one click puts a title in the blacklist.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  # Everything in one folder: Vorlix keeps its data files beside itself.
  install(TARGETS Vorlix RUNTIME DESTINATION .)
  set(CPACK_GENERATOR "NSIS;ZIP")
  set(CPACK_PACKAGE_FILE_NAME Vorlix-${PROJECT_VERSION}-win64)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY Vorlix)
  # Our own installer script: per user, no administrator (see the template).
  set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/nsis)
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/art/icon.ico)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
endif()
include(CPack)
