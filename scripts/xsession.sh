# Sourced by the scripts that need an X display: starts a private Xvfb
# (1024x768x24, -noreset so root properties survive short clients) and,
# unless QUAVERLY_NO_WM=1, openbox on it; exports DISPLAY. quaverly_x_stop ends
# exactly the processes started here, by PID.
quaverly_x_start() {
    quaverly_x_dir=$(mktemp -d /tmp/quaverly-x.XXXXXX)
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$quaverly_x_dir/xvfb.log" 2>&1 &
    quaverly_xvfb_pid=$!
    export DISPLAY=":$n"
    i=0
    until xdpyinfo >/dev/null 2>&1; do
        i=$((i + 1))
        if [ $i -gt 200 ] || ! kill -0 "$quaverly_xvfb_pid" 2>/dev/null; then
            echo "xsession: Xvfb did not start" >&2; cat "$quaverly_x_dir/xvfb.log" >&2; return 1
        fi
        sleep 0.05
    done
    quaverly_wm_pid=""
    if [ "${QUAVERLY_NO_WM:-0}" != 1 ]; then
        mkdir -p "$quaverly_x_dir/home"
        HOME="$quaverly_x_dir/home" openbox --sm-disable >"$quaverly_x_dir/openbox.log" 2>&1 &
        quaverly_wm_pid=$!
        i=0
        until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
            i=$((i + 1))
            [ $i -gt 500 ] && { echo "xsession: openbox did not start" >&2; return 1; }
            sleep 0.01
        done
    fi
}

quaverly_x_stop() {
    set +e    # the killed servers' exit codes are no failure of the run
    [ -n "${quaverly_wm_pid:-}" ] && kill "$quaverly_wm_pid" 2>/dev/null
    [ -n "${quaverly_xvfb_pid:-}" ] && kill "$quaverly_xvfb_pid" 2>/dev/null
    [ -n "${quaverly_wm_pid:-}" ] && wait "$quaverly_wm_pid" 2>/dev/null
    [ -n "${quaverly_xvfb_pid:-}" ] && wait "$quaverly_xvfb_pid" 2>/dev/null
    [ -n "${quaverly_x_dir:-}" ] && rm -rf "$quaverly_x_dir"
    return 0
}
