#!/usr/bin/env bash
# Vorlix.exe end to end under Wine: copied into a folder whose name holds
# blanks, with its data files, it closes the blacklisted pop-ups (one of them
# with a title outside the ANSI code page), keeps the others, stores an added
# title losslessly, and ticking Autostart stores its quoted path under the
# Run key.
#
#   e2e.sh <wine wrapper> <Vorlix.exe> <driver.exe> <build folder> [<screenshot.png>]
set -euo pipefail
wrapper="$1" exe="$2" driver="$3" build="$(cd "$4" && pwd)" shot="${5:-}"
# The wrapper keeps its Wine prefix and display in this build folder too.
export VORLIX_WINE_BUILD="$build"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

work="$(mktemp -d "$build/e2e.XXXXXX")"
trap 'rm -rf "$work"' EXIT
app="$work/Vorlix app folder"
mkdir -p "$app" "$work/handshake"
cp "$exe" "$app/Vorlix.exe"
printf 'Scan: 500\r\n' >"$app/Vorlix.cfg"
# A title outside the ANSI code page: the file is UTF-8 behind its mark.
blacklist=$'\xEF\xBB\xBFWin a prize\r\n\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB7\r\n'
printf '%s' "$blacklist" >"$app/Vorlix.dat"

# Unix paths as Wine's Z: drive sees them.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

"$wrapper" reg delete "$run_key" /v Kelto_Vorlix /f >/dev/null 2>&1 || true

args=("$(windows_path "$app/Vorlix.exe")")
if [ -n "$shot" ]; then
    args+=("$(windows_path "$work/handshake")")
    (
        . "$(dirname "$wrapper")/display.sh"
        vorlix_wine_display "$build"
        for _ in $(seq 600); do
            [ -f "$work/handshake/ready" ] && break
            sleep 0.1
        done
        sleep 1
        import -window root "$shot" && echo "screenshot: $shot"
        touch "$work/handshake/shot"
    ) &
    shooter=$!
fi

status=0
"$wrapper" "$driver" "${args[@]}" || status=$?
[ -n "$shot" ] && wait "$shooter"

query="$("$wrapper" reg query "$run_key" /v Kelto_Vorlix 2>/dev/null | tr -d '\r' || true)"
echo "$query"
expected="\"$(windows_path "$app/Vorlix.exe")\""
if ! grep -qF "Kelto_Vorlix    REG_SZ    $expected" <<<"$query"; then
    echo "FAILED: the Run value is not REG_SZ $expected"
    status=1
fi
# After Add the file holds the three titles in the list's order, still
# behind the mark because two of them are not ANSI.
saved=$'\xEF\xBB\xBFWin a prize\r\n\xD0\x9D\xD0\xBE\xD0\xB2\xD1\x8B\xD0\xB9\r\n\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB7\r\n'
if [ "$(cat "$app/Vorlix.dat"; echo .)" != "$saved." ]; then
    echo "FAILED: the blacklist file holds:"
    od -c "$app/Vorlix.dat"
    status=1
fi
"$wrapper" reg delete "$run_key" /v Kelto_Vorlix /f >/dev/null 2>&1 || true
exit "$status"
