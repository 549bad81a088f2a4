#!/usr/bin/env bash
# Builds the packages, each with one command:
#   packaging/package.sh deb       out/pkg-linux/vorlix_<version>_amd64.deb,
#                                  linted (lintian) and validated (desktop
#                                  entry, AppStream metainfo)
#   packaging/package.sh windows   out/pkg-windows/Vorlix-<version>-win64.exe
#                                  (per-user installer) and .zip (portable)
# Build folders go to out/ (or $VORLIX_OUT). Run tools/setup.sh first on a
# fresh machine.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${VORLIX_OUT:-$here/out}"
configure=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DVORLIX_BUILD_TESTS=OFF -DVORLIX_WERROR=ON)
command -v ccache >/dev/null && configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

case "${1:-}" in
deb)
  build="$out/pkg-linux"
  # Debian's hardening flags, as a Debian package build passes them.
  CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" cmake -S "$here" -B "$build" "${configure[@]}"
  cmake --build "$build" --target Vorlix
  rm -f "$build"/vorlix_*.deb
  (cd "$build" && cpack -G DEB)
  deb="$(ls "$build"/vorlix_*.deb)"
  lintian --fail-on error --info "$deb"
  root="$(mktemp -d)"
  trap 'rm -rf "$root"' EXIT
  dpkg-deb -x "$deb" "$root"
  desktop-file-validate "$root/usr/share/applications/vorlix.desktop"
  appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
  ls -l "$deb"
  ;;
windows)
  build="$out/pkg-windows"
  cmake -S "$here" -B "$build" "${configure[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake"
  cmake --build "$build" --target Vorlix
  rm -f "$build"/Vorlix-*-win64.*
  (cd "$build" && cpack)
  ls -l "$build"/Vorlix-*-win64.exe "$build"/Vorlix-*-win64.zip
  ;;
*)
  echo "usage: $0 deb|windows" >&2
  exit 2
  ;;
esac
