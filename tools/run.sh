#!/usr/bin/env bash
# Installs what is missing, builds Vorlix and starts it on your display.
# The program keeps its data files beside its executable, so it runs from a
# folder of its own ($VORLIX_APP_DIR, by default ~/.local/share/vorlix) where
# the blacklist survives rebuilds.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VORLIX_OUT:-$here/out}/run"
app="${VORLIX_APP_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/vorlix}"

bash "$here/tools/setup.sh"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORLIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target Vorlix

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: run this from a graphical session (DISPLAY is not set)." >&2
  exit 1
fi

mkdir -p "$app"
# Replace, never overwrite in place: a running copy keeps its old file.
cp "$build/src/main/Vorlix" "$app/Vorlix.new"
mv -f "$app/Vorlix.new" "$app/Vorlix"
echo "Starting $app/Vorlix"
cd "$app"
setsid -f "$app/Vorlix" >/dev/null 2>&1 </dev/null
