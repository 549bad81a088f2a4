#!/usr/bin/env bash
# Runs a Windows program under wine64 for CTest (CMAKE_CROSSCOMPILING_EMULATOR).
# Each build folder gets a private Wine prefix, created on first use, and a
# virtual X display when none is given, so that CI needs no desktop.
#
#   VORLIX_WINE_BUILD   build folder (default: the nearest folder at or above
#                       the current one that holds CMakeCache.txt, else a
#                       folder of this user's under the temporary folder)
#   WINEPREFIX          overrides the private prefix
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

find_build() {
    local d="$PWD"
    while [ "$d" != "/" ]; do
        if [ -f "$d/CMakeCache.txt" ]; then
            printf '%s\n' "$d"
            return
        fi
        d="$(dirname "$d")"
    done
    printf '%s\n' "${TMPDIR:-/tmp}/vorlix-wine-$(id -u)"
}

build="${VORLIX_WINE_BUILD:-$(find_build)}"
mkdir -p "$build"
export WINEPREFIX="${WINEPREFIX:-$build/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine wants a home folder even though the prefix is elsewhere.
export HOME="${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}"
export WINEARCH=win64
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine_bin="$(command -v wine64 || true)"
if [ -z "$wine_bin" ]; then
    for c in /usr/lib/wine/wine64 /usr/bin/wine; do
        if [ -x "$c" ]; then wine_bin="$c"; break; fi
    done
fi
[ -n "$wine_bin" ] || { echo "run.sh: wine64 not found" >&2; exit 127; }

# shellcheck source=display.sh
. "$here/display.sh"
vorlix_wine_display "$build"

wineserver_bin="$(command -v wineserver || echo /usr/lib/wine/wineserver64)"

# Serialises prefix creation between concurrent callers.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$wine_bin" wineboot -i >/dev/null 2>&1 9>&- || true
        # One virtual desktop holds every window: no window manager to wait
        # for, and a picture of it is a picture of the whole screen.
        "$wine_bin" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
            >/dev/null 2>&1 9>&- || true
        "$wine_bin" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
            >/dev/null 2>&1 9>&- || true
        "$wineserver_bin" -w 9>&- || true
    fi
) 9>"$WINEPREFIX.lock"

# A server that outlives each test saves its start-up (seconds) per test; it
# goes away by itself once the tests have been idle for five minutes. Wine's own
# background processes are started here, detached from our output, because
# a test's runner waits for everything that holds the test's output open.
if "$wineserver_bin" -p300 </dev/null >/dev/null 2>&1; then
    "$wine_bin" wineboot </dev/null >/dev/null 2>&1 || true
    # The desktop process starts with the first window; start it now.
    "$wine_bin" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
fi

exec "$wine_bin" "$@"
