# cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
# Installs into a prefix with a blank in it and checks what a desktop needs:
# the executable, the icon, and an entry whose Exec names that executable.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(f bin/Vorlix share/icons/hicolor/32x32/apps/vorlix.png share/applications/vorlix.desktop)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/vorlix.desktop" lines)
foreach(expected "[Desktop Entry]" "Type=Application" "Name=Vorlix" "Icon=vorlix"
                 "Exec=\"${PREFIX}/bin/Vorlix\"")
  list(FIND lines "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the entry lacks the line ${expected}:\n${lines}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
