# Shell functions for running the virtual panel on an X display under Wine, sourced by
# the virtual panel's check (tests/e2e/virtual_panel_check.sh) and `make demo WINDOW=1`
# (tools/virtual_panel/demo_window.sh). Needs Xvfb, xdpyinfo and xwininfo.

# Starts Xvfb on the first free display number from 90 on; sets XVFB_DISPLAY (":N")
# and XVFB_PID. A number is free when neither its socket nor its lock file exists;
# should another server take it meanwhile, Xvfb exits and the next number is tried.
start_xvfb() {
    local n
    for ((n = 90; n < 190; ++n)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        local tries
        for ((tries = 0; tries < 100; ++tries)); do
            if ! kill -0 "$XVFB_PID" 2>/dev/null; then break; fi
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                XVFB_DISPLAY=:$n
                return 0
            fi
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    done
    echo "no free X display number for Xvfb" >&2
    return 1
}

stop_xvfb() {
    if [[ -n ${XVFB_PID:-} ]]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    fi
}

# A Wine prefix beside the headless one ($VANTREL_WINEPREFIX) whose programs use
# Wine's X11 driver: its own wineserver session, whose desktop process starts with
# DISPLAY set. Made once as a copy of the initialised headless prefix; prints its path.
x11_prefix() {
    local prefix=$VANTREL_WINEPREFIX-x11
    if [[ ! -f $prefix/.initialised ]]; then
        rm -rf "$prefix"
        cp -a "$VANTREL_WINEPREFIX" "$prefix.part" && mv "$prefix.part" "$prefix" || return 1
    fi
    echo "$prefix"
}

# The id of the window titled exactly TITLE on DISPLAY, waiting up to SECONDS for it;
# prints nothing and fails when it does not appear.
find_window() {
    local title=$1 seconds=$2 start=$SECONDS id
    while ((SECONDS - start < seconds)); do
        id=$(xwininfo -name "$title" 2>/dev/null | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.5
    done
    return 1
}

# Runs COMMAND every half second until it succeeds, for up to SECONDS; fails when
# it never does.
wait_until() {
    local seconds=$1 start=$SECONDS
    shift
    while ((SECONDS - start < seconds)); do
        "$@" 2>/dev/null && return 0
        sleep 0.5
    done
    return 1
}

# Waits up to SECONDS until STREAM holds a record of KIND (2: a device closed).
wait_for_record() {
    wait_until "$3" grep -q "^$2 " "$1"
}

# Copies what a display host's folder holds to try the virtual panel into FOLDER:
# the demo host, the reader, the driver and the virtual panel's CH341DLL.DLL.
virtual_panel_folder() {
    local bin=$1 folder=$2
    mkdir -p "$folder"
    cp "$bin/vantrel_demo.exe" "$bin/vantrel.dll" "$bin/virtual-panel/CH341DLL.DLL" "$folder/" || return 1
    [[ ! -f $bin/vantrel_reader.exe ]] || cp "$bin/vantrel_reader.exe" "$folder/"
}
