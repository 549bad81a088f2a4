# Sourced by the Wine scripts: makes sure DISPLAY names a running X server.
# With DISPLAY unset, one Xvfb per build folder is started and left running
# for the following tests; its number and process are kept in the build
# folder so that every later caller finds the same display.
vorlix_wine_display() {
    local build="$1"
    if [ -n "${DISPLAY:-}" ]; then
        return
    fi
    local state="$build/wine-display"
    (
        flock 8
        local n pid
        if [ -f "$state" ] && kill -0 "$(cat "$state.pid" 2>/dev/null || echo 0)" 2>/dev/null; then
            n="$(cat "$state")"
        else
            n=90
            while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
                n=$((n + 1))
            done
            Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 8>&- &
            pid=$!
            echo "$pid" >"$state.pid"
            echo "$n" >"$state"
        fi
        for _ in $(seq 200); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.05
        done
    ) 8>"$state.lock"
    DISPLAY=":$(cat "$state")"
    export DISPLAY
}
