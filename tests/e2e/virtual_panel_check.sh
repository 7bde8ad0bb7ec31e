#!/usr/bin/env bash
# The virtual panel end to end, on a virtual X display (Xvfb, started here on a free
# display number and stopped at the end) under Wine with its X11 driver: the demo
# host drives the real vantrel.dll beside the virtual panel's CH341DLL.DLL.
#   1. For 20x4 (with the custom-character bar graph), 16x2 and 40x2, sized by the
#      environment or the settings file beside the DLL: the window,
#      titled with the size and the device number, shows in its client area exactly
#      the pixels of the PNG that lcdview draws from the stream the bridge recorded,
#      and that stream is the stand-in bridge's. Once the host has unloaded the
#      driver, the window still closes and the host ends normally.
#   2. Closing the window while the host writes: the Writes go on returning and the
#      stream goes on recording them; the host ends normally.
#   3. Without DISPLAY: no window, the same stream, the host ends normally.
#
#   virtual_panel_check.sh WIN32_BIN NATIVE_BIN WORK_DIR
# NATIVE_BIN holds lcdview and x_close_window. Windows programs run through
# cmake/wine-run.sh; VANTREL_WINEPREFIX names the (headless) prefix of the other tests.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../cmake/wine-run.sh
source "$here/../../tools/virtual_panel/x_display.sh"
bin=$1 native=$2 work=$3
mkdir -p "$work"
work=$(cd "$work" && pwd)
failures=0
fail() { echo "virtual-panel-check: FAIL: $*"; ((failures++)); }

headless_prefix=$VANTREL_WINEPREFIX
x11=$(x11_prefix) || { echo "virtual-panel-check: cannot make the X11 prefix"; exit 1; }

start_xvfb || exit 1
export DISPLAY=$XVFB_DISPLAY
cleanup() {
    VANTREL_WINEPREFIX=$x11 "$wine_run" --server stop >/dev/null 2>&1
    stop_xvfb
}
trap cleanup EXIT
echo "virtual-panel-check: Xvfb on $DISPLAY"
VANTREL_WINEPREFIX=$x11 "$wine_run" --server start >/dev/null 2>&1

app=$work/host
rm -rf "$app"
virtual_panel_folder "$bin" "$app" || { echo "virtual-panel-check: the build lacks the virtual panel"; exit 1; }

# A stream without its times, to compare two recordings.
records() { cut -d' ' -f1-4 "$1"; }

# The stand-in bridge's recording of the same run, for comparison.
reference() {
    local geometry=$1 stream=$work/standin-$1.txt
    rm -f "$stream"
    env -u DISPLAY VANTREL_BRIDGE_LOG="$stream" "$wine_run" "$bin/vantrel_demo.exe" "$geometry" >/dev/null 2>&1
    echo "$stream"
}

window_absent() { ! xwininfo -id "$1" >/dev/null 2>&1; }
window_gone() { wait_until "$2" window_absent "$1"; }
wait_for_line() { wait_until "$3" grep -q "$2" "$1"; }

# 1. The window's picture for each size. The size comes from the environment for
# 20x4, from the settings file beside the DLL for 16x2, and from the environment
# over a file that says otherwise for 40x2.
for geometry in 20x4 16x2 40x2; do
    stream=$work/stream-$geometry.txt hold=$work/hold-$geometry
    rm -f "$stream" "$hold" "$work/window-$geometry.png" "$work/lcdview-$geometry.png"
    case $geometry in
    20x4) rm -f "$app/virtual-panel.ini"; size=$geometry ;;
    16x2) printf '# test\r\nsize=16x2\r\n' >"$app/virtual-panel.ini"; size= ;;
    *) printf 'size=8x1\n' >"$app/virtual-panel.ini"; size=$geometry ;;
    esac
    VANTREL_WINEPREFIX=$x11 VANTREL_PANEL_SIZE=$size VANTREL_BRIDGE_LOG=$stream \
        "$wine_run" "$app/vantrel_demo.exe" --hold "$hold" "$geometry" >"$work/host-$geometry.out" 2>&1 &
    host=$!
    title="Virtual panel $geometry - device 0"
    if ! id=$(find_window "$title" 120); then
        fail "$geometry: no window titled '$title'"
    elif ! wait_for_record "$stream" 2 120; then
        fail "$geometry: the host did not close the display"
    else
        "$native/lcdview" --geometry "$geometry" --png "$work/lcdview-$geometry.png" "$stream" >/dev/null
        # The window redraws on its own thread: allow it a moment to catch up.
        differing=unknown
        for ((try = 0; try < 20; ++try)); do
            import -window "$id" "png:$work/window-$geometry.png" 2>/dev/null &&
                differing=$(compare -metric AE "$work/window-$geometry.png" "$work/lcdview-$geometry.png" null: 2>&1)
            [[ $differing == 0 ]] && break
            sleep 0.5
        done
        size=$(identify -format '%wx%h' "$work/window-$geometry.png" 2>/dev/null)
        expected_size=$(identify -format '%wx%h' "$work/lcdview-$geometry.png")
        if [[ $size != "$expected_size" ]]; then
            fail "$geometry: client area $size, the PNG is $expected_size"
        elif [[ $differing != 0 ]]; then
            fail "$geometry: $differing pixels differ from lcdview's PNG ($work/window-$geometry.png)"
        fi
    fi
    # The host has unloaded the driver and with it its hold on the bridge: the
    # window's thread keeps the bridge loaded, and closing the window still works.
    if [[ -n ${id:-} ]] && wait_for_line "$work/host-$geometry.out" "Driver unloaded" 60; then
        "$native/x_close_window" "$id" && window_gone "$id" 30 ||
            fail "$geometry: the window did not close after the host unloaded the driver"
    fi
    touch "$hold"
    wait "$host" || fail "$geometry: the host ended with status $?"
    if ! diff -q <(records "$stream") <(records "$(reference "$geometry")") >/dev/null; then
        fail "$geometry: the virtual panel recorded another stream than the stand-in bridge"
    fi
done
# The 20x4 picture holds the bar graph: custom characters reached the panel.
grep -q '^4 0 1 1 ' "$work/stream-20x4.txt" || fail "20x4: the stream holds no bar graph (custom character 1)"

rm -f "$app/virtual-panel.ini"

# 2. Closing the window while the host writes.
stream=$work/stream-close.txt stop=$work/stop-close
rm -f "$stream" "$stop"
VANTREL_WINEPREFIX=$x11 VANTREL_BRIDGE_LOG=$stream \
    "$wine_run" "$app/vantrel_demo.exe" --refresh-until "$stop" 20x4 >"$work/host-close.out" 2>&1 &
host=$!
if id=$(find_window "Virtual panel 20x4 - device 0" 120); then
    "$native/x_close_window" "$id" || fail "close: x_close_window failed"
    window_gone "$id" 30 || fail "close: the window is still there 30 s after closing it"
    closed_at=$(wc -l <"$stream")
    # Twenty more rewrites of row 1 (an instruction and 12 characters each).
    for ((try = 0; try < 120; ++try)); do
        (($(wc -l <"$stream") >= closed_at + 20 * 13)) && break
        sleep 0.5
    done
    (($(wc -l <"$stream") >= closed_at + 20 * 13)) || fail "close: the stream stopped growing after the window closed"
else
    fail "close: no window"
fi
touch "$stop"
wait "$host" || fail "close: the host ended with status $?"
grep -q "every Write returned" "$work/host-close.out" || fail "close: the host's rewrites did not all return"

# 3. No display.
stream=$work/stream-nodisplay.txt hold=$work/hold-nodisplay
rm -f "$stream" "$hold"
env -u DISPLAY VANTREL_WINEPREFIX=$headless_prefix VANTREL_BRIDGE_LOG=$stream \
    "$wine_run" "$app/vantrel_demo.exe" --hold "$hold" 20x4 >"$work/host-nodisplay.out" 2>&1 &
host=$!
wait_for_record "$stream" 2 120 || fail "no display: the host did not close the display"
if xwininfo -root -tree | grep -q '"Virtual panel'; then
    fail "no display: a panel window appeared"
fi
touch "$hold"
wait "$host" || fail "no display: the host ended with status $?"
diff -q <(records "$stream") <(records "$work/standin-20x4.txt") >/dev/null ||
    fail "no display: the stream differs from the stand-in bridge's"

if ((failures > 0)); then
    echo "virtual-panel-check: $failures check(s) FAILED"
    exit 1
fi
echo "virtual-panel-check: OK: 20x4, 16x2 and 40x2 pixel for pixel, closing while writing, no display"
