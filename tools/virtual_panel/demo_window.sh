#!/usr/bin/env bash
# `make demo WINDOW=1`: the demo host drives vantrel.dll beside the virtual panel's
# CH341DLL.DLL under Wine with its X11 driver, on the X display in $DISPLAY when
# there is one (the window shows for WINDOW_SECONDS, default 5), else on a virtual
# one started for the run. The window's screenshot is saved as window-GEOMETRY.png
# beside the stream, which the Makefile then draws as panel-GEOMETRY.png.
#
#   demo_window.sh WIN32_BIN DEMO_DIR GEOMETRY [ROW TEXT...]
# VANTREL_WINEPREFIX names the headless prefix of the other runs.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../cmake/wine-run.sh
source "$here/x_display.sh"
bin=$1 demo=$2 geometry=$3
shift 3
mkdir -p "$demo"
demo=$(cd "$demo" && pwd)
seconds=${WINDOW_SECONDS:-5}

prefix=$(x11_prefix) || exit 1
if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    echo "The virtual panel's window shows on $DISPLAY for $seconds s."
else
    start_xvfb || exit 1
    export DISPLAY=$XVFB_DISPLAY
    seconds=0
    echo "No X display: the virtual panel's window shows on a virtual one ($DISPLAY)."
fi
cleanup() {
    VANTREL_WINEPREFIX=$prefix "$wine_run" --server stop >/dev/null 2>&1
    stop_xvfb
}
trap cleanup EXIT

host_folder=$demo/virtual-panel-host
virtual_panel_folder "$bin" "$host_folder" || exit 1
stream=$demo/stream.txt hold=$demo/.hold shot=$demo/window-$geometry.png
rm -f "$stream" "$hold" "$shot"
VANTREL_WINEPREFIX=$prefix VANTREL_PANEL_SIZE=$geometry VANTREL_BRIDGE_LOG=$stream \
    "$wine_run" "$host_folder/vantrel_demo.exe" --hold "$hold" "$geometry" "$@" &
host=$!
status=0
if id=$(find_window "Virtual panel $geometry - device 0" 120) && wait_for_record "$stream" 2 120; then
    sleep 1  # the last redraw
    import -window "$id" "$shot" && echo "Screenshot of the window: $shot"
    sleep "$seconds"
else
    echo "The virtual panel's window did not appear." >&2
    status=1
fi
touch "$hold"
wait "$host" || status=1
rm -f "$hold"
exit $status
