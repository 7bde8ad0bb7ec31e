#!/usr/bin/env bash
# End to end under Wine for every listed geometry: the demo host drives the real
# vantrel.dll beside the stand-in bridge, which records the stream to a file; the
# panel emulator replays it, and the panel must show each row's text in its place
# (and the bar graph's custom characters on the last row of a multi-row panel).
#
#   wine_panel_check.sh WIN32_BIN LCDVIEW WORK_DIR
# Windows programs run through cmake/wine-run.sh (VANTREL_WINEPREFIX names the prefix).
set -uo pipefail

wine_run=$(cd "$(dirname "$0")/../../cmake" && pwd)/wine-run.sh
bin=$1 lcdview=$2 work=$3
mkdir -p "$work"
work=$(cd "$work" && pwd)
failures=0

for geometry in 8x1 16x1 20x1 40x1 8x2 12x2 16x2 20x2 24x2 40x2 16x4 20x4; do
    columns=${geometry%x*} rows=${geometry#*x}
    texts=("R1-$geometry" "R2" "R3" "R4")
    # Every row gets a text, except the last row of a multi-row panel: the bars.
    count=$((rows > 1 ? rows - 1 : 1))
    stream=$work/stream-$geometry.txt
    rm -f "$stream"
    VANTREL_BRIDGE_LOG=$stream "$wine_run" "$bin/vantrel_demo.exe" "$geometry" "${texts[@]:0:$count}" >/dev/null
    picture=$("$lcdview" --geometry "$geometry" "$stream") || { echo "FAIL $geometry: lcdview"; ((failures++)); continue; }
    # The framed panel: rows 2 .. rows+1 of the picture, without the frame.
    mapfile -t lines < <(sed -n "2,$((rows + 1))p" <<<"$picture" | sed 's/^│//; s/│$//')
    for ((row = 0; row < count; ++row)); do
        expected=$(printf "%-${columns}s" "${texts[row]:0:columns}")
        if [[ ${lines[row]} != "$expected" ]]; then
            echo "FAIL $geometry row $((row + 1)): '${lines[row]}', expected '$expected'"
            ((failures++))
        fi
    done
    if ((rows > 1)) && [[ ${lines[rows - 1]} != Bars* || ${lines[rows - 1]} != *①* ]]; then
        echo "FAIL $geometry last row: '${lines[rows - 1]}', expected the bar graph"
        ((failures++))
    fi
done

if ((failures > 0)); then
    echo "wine-panel-check: $failures check(s) FAILED"
    exit 1
fi
echo "wine-panel-check: OK: 12 geometries through the real DLL and the panel emulator"
