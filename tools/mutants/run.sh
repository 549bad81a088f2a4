#!/usr/bin/env bash
# Proves that the tests catch real faults: puts each deliberate fault of a
# faults file into one scratch copy of the tree, builds it incrementally,
# runs the tests until the first one fails, takes the fault out again and
# prints one row per fault:
#   id | what the user would notice | caught by <first failing test>
#                                    | MISSED | build failed | n/a
# ("n/a": a snippet no longer occurs exactly once in src/).
#
# Not run by CI; it takes long. Run it from anywhere:
#   tools/mutants/run.sh [FAULTS] [ID...]
#     FAULTS   default tools/mutants/faults.txt; IDs default to all faults
#   MUTANTS_OUT      scratch folder (default out/mutants): the copy of the
#                    tree and its build folders, kept between runs
#   MUTANTS_JOBS     build jobs (default 2)
#   MUTANTS_TRUST_BASELINE=1  skip building and testing the tree without
#                    faults first (a fault counts as caught only if the
#                    tests pass without it)
# Runs of Linux and Windows faults can go side by side in two scratch
# folders, each with the ids of one platform.
# Linux faults: the RelWithDebInfo build of everything and all its tests.
# Windows faults: the MinGW build and the Wine-labelled tests (the ones that
# link the Windows adapters), one at a time.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
faults="$(realpath "${1:-$here/tools/mutants/faults.txt}")"
shift $(($# > 0 ? 1 : 0))
out="$(realpath -m "${MUTANTS_OUT:-$here/out/mutants}")"
jobs="${MUTANTS_JOBS:-2}"
mutate=(python3 "$here/tools/mutants/mutate.py")
tree="$out/tree"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-/work}" CCACHE_DIR="${CCACHE_DIR:-/work/.ccache}"

mkdir -p "$tree"
"${mutate[@]}" sync "$here" "$tree"
trap '"${mutate[@]}" sync "$here" "$tree"' EXIT

configure() {  # platform -> build folder, configured once
    local dir="$out/$1"
    if [ ! -f "$dir/build.ninja" ]; then
        local extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
        [ "$1" = windows ] && extra=(-DCMAKE_BUILD_TYPE=Release
            "-DCMAKE_TOOLCHAIN_FILE=$tree/cmake/mingw-w64-x86_64.cmake")
        cmake -S "$tree" -B "$dir" -G Ninja -DVORLIX_WERROR=ON \
            -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "${extra[@]}" >"$out/$1-configure.log"
    fi
    printf '%s\n' "$dir"
}

build() { nice -n 10 cmake --build "$1" -j "$jobs" >"$1/mutant-build.log" 2>&1; }

# Runs the tests until the first failure and prints "caught by <test>", or
# "MISSED" when all pass. Without the cost data of earlier runs CTest keeps
# the order in which the tests are declared, which puts the quick core tests
# first.
verdict() {
    local dir="$1" select=() rc=0
    [ "$2" = windows ] && select=(-L wine)
    rm -f "$dir/Testing/Temporary/CTestCostData.txt" "$dir/Testing/Temporary/LastTestsFailed.log"
    nice -n 10 ctest --test-dir "$dir" -j 1 --timeout 300 --stop-on-failure "${select[@]}" \
        </dev/null >"$dir/mutant-test.log" 2>&1 || rc=$?
    local failed
    failed="$(sed -n '/tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p' "$dir/mutant-test.log" |
        head -n 1)"
    if [ "$rc" -eq 0 ]; then
        echo MISSED
    else
        echo "caught by ${failed:-? (ctest failed, see $dir/mutant-test.log)}"
    fi
}

if [ -z "${MUTANTS_TRUST_BASELINE:-}" ]; then
    for needs in $("${mutate[@]}" list "$faults" "$@" | cut -f2 | sort -u); do
        dir="$(configure "$needs")"
        build "$dir" || { echo "The $needs build fails without any fault: $dir/mutant-build.log"; exit 1; }
        baseline="$(verdict "$dir" "$needs")"
        [ "$baseline" = MISSED ] || { echo "Without any fault, $needs: $baseline"; exit 1; }
    done
fi

start=$(date +%s)
while IFS=$'\t' read -r -u 3 id needs what; do
    dir="$(configure "$needs")"
    if ! "${mutate[@]}" apply "$faults" "$id" "$tree" 2>"$out/apply.log"; then
        result="n/a ($(cat "$out/apply.log"))"
    elif ! build "$dir" </dev/null; then
        result="build failed"
    else
        result="$(verdict "$dir" "$needs")"
    fi
    "${mutate[@]}" sync "$here" "$tree"
    printf '%s | %s | %s\n' "$id" "$what" "$result"
done 3< <("${mutate[@]}" list "$faults" "$@")
echo "# faults took $(( ($(date +%s) - start) / 60 )) min"
