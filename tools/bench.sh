#!/bin/sh
# Builds the benchmarks in Release and runs them all, each on its own private
# Xvfb or headless Wayland desktop (the programs start and stop their
# servers), then prints one table.
# Usage: tools/bench.sh [--quick]   (--quick: fewer scan cases, 10 s idle)
# Takes about 5 minutes on an idle 2-core machine; the idle run alone is 60 s,
# the Wine ticks about half a minute.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLIX_BENCH_BUILD:-$root/build-bench}
quick=
idle=60
if [ "${1:-}" = "--quick" ]; then
    quick=--quick
    idle=10
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORLIX_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target core_bench x11_lookup_bench scan_bench window_list_bench \
    process_bench Vorlix >/dev/null

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT

run() {
    echo "== $*" >&2
    # Rows go to the table; everything else the programs say goes to stderr.
    "$@" 2>/dev/null | grep '^|' >>"$rows" || echo "   ($1 failed)" >&2
}

b=$build/bench
run "$b/core_bench"
run "$b/x11_lookup_bench"
run "$b/scan_bench" $quick
run "$b/scan_bench" --yield-every-us 1000
run "$b/window_list_bench"
run "$b/process_bench" "$build/src/main/Vorlix" --idle-seconds "$idle"

# The worst tick through the Wayland desktops' window systems, where the
# build has them (a desktop this build lacks says so and adds no row).
if cmake --build "$build" --target wayland_tick_bench >/dev/null 2>&1; then
    for desktop in sway kwin gnome; do
        run "$b/wayland_tick_bench" "$desktop"
    done
else
    echo "   (no Wayland window system in this build: its tick skipped)" >&2
fi

# Benchmark 6 under Wine, from a Windows build of the same tree.
win=$build/win
if cmake -S "$root" -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVORLIX_BUILD_TESTS=ON >/dev/null 2>&1 &&
    cmake --build "$win" --target wine_scan_bench >/dev/null 2>&1; then
    export VORLIX_WINE_BUILD="$win"
    run "$root/tools/wine/run.sh" "$win/bench/wine_scan_bench.exe"
else
    echo "   (no Windows build of this tree: benchmark 6 skipped)" >&2
fi

echo
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
    "load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
echo "| benchmark | case | median | unit | bar | met | note |"
echo "|---|---|---|---|---|---|---|"
cat "$rows"
