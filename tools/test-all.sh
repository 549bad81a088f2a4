#!/usr/bin/env bash
# Sets up and runs every test: the Linux build, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows build
# under Wine. Build folders go to out/ (or $VORLIX_OUT).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${VORLIX_OUT:-$here/out}"
jobs="$(nproc)"

bash "$here/tools/setup.sh"

stage() { printf '\n==== %s ====\n' "$*"; }

stage "Linux build and tests"
cmake -S "$here" -B "$out/linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLIX_WERROR=ON
cmake --build "$out/linux" -j "$jobs"
ctest --test-dir "$out/linux" --output-on-failure -j "$jobs"

stage "Sanitizer build and tests"
cmake -S "$here" -B "$out/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORLIX_WERROR=ON -DVORLIX_SANITIZE=ON
cmake --build "$out/sanitize" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$out/sanitize" --output-on-failure -j "$jobs" -LE no_sanitize

stage "Fuzzing the line reader and the number reader (bounded)"
cmake -S "$here" -B "$out/fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORLIX_FUZZ=ON -DVORLIX_SANITIZE=ON -DVORLIX_BUILD_APP=OFF -DVORLIX_BUILD_TESTS=OFF -DVORLIX_WERROR=ON
cmake --build "$out/fuzz" -j "$jobs" --target lines_fuzz number_fuzz
ctest --test-dir "$out/fuzz" --output-on-failure -j "$jobs" -L fuzz

if [ -f "$here/cmake/mingw-w64-x86_64.cmake" ]; then
  stage "Windows build (MinGW-w64) and tests under Wine"
  cmake -S "$here" -B "$out/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORLIX_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake"
  cmake --build "$out/windows" -j "$jobs"
  ctest --test-dir "$out/windows" --output-on-failure -j 1
fi

stage "Packages: built, linted, installed, run and removed"
bash "$here/packaging/package.sh" deb
python3 "$here/tests/packaging/packages_test.py" deb "$out"/pkg-linux/vorlix_*.deb
if [ -f "$here/cmake/mingw-w64-x86_64.cmake" ]; then
  bash "$here/packaging/package.sh" windows
  python3 "$here/tests/packaging/packages_test.py" windows "$out"/pkg-windows/Vorlix-*-win64.exe \
    "$out"/pkg-windows/Vorlix-*-win64.zip
fi

stage "All tests passed"
