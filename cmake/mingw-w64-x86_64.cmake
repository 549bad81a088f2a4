# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads).
#   cmake -S . -B build-win -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Tests run under wine64 through tools/wine/run.sh, which makes a private
# Wine prefix in the build folder and starts Xvfb when DISPLAY is unset.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORLIX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORLIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLIX_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${VORLIX_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${VORLIX_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VORLIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No DLL beyond Windows' own: the GCC runtime, the C++ library and
# winpthread go into every executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# GCC 12 reports string concatenation at -O3 as overlapping memcpy (GCC bug
# 105651), which -Werror turns into a failed build.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

get_filename_component(VORLIX_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${VORLIX_SOURCE_ROOT}/tools/wine/run.sh")
