#!/usr/bin/env bash
# Runs a Windows program under Wine: wine-run.sh PROGRAM [ARGS...]
#
# The Wine prefix lives inside the build folder, so a clean build starts from a
# fresh prefix and nothing is written to $HOME. It is taken from
# $VANTREL_WINEPREFIX when set (the Makefile and the ctest properties set it);
# otherwise it is <build>/wineprefix, where <build> is the nearest folder at or
# above PROGRAM's folder that holds a CMakeCache.txt.
#
# A fresh prefix is created on first use, but that takes several seconds, so the
# Makefile creates it once with `wineboot -i` before the tests run.
set -euo pipefail

if [[ $# -lt 1 ]]; then
    echo "usage: wine-run.sh PROGRAM [ARGS...]" >&2
    exit 2
fi

if [[ -z ${VANTREL_WINEPREFIX:-} ]]; then
    dir=$(dirname -- "$1")
    dir=$(cd -- "$dir" 2>/dev/null && pwd) || dir=$PWD
    while [[ $dir != / && ! -f $dir/CMakeCache.txt ]]; do
        dir=$(dirname -- "$dir")
    done
    if [[ ! -f $dir/CMakeCache.txt ]]; then
        echo "wine-run.sh: no build folder above $1; set VANTREL_WINEPREFIX" >&2
        exit 2
    fi
    VANTREL_WINEPREFIX=$dir/wineprefix
fi

export WINEPREFIX=$VANTREL_WINEPREFIX
export WINEARCH=win32
export WINEDEBUG=-all
# An empty override disables the .NET and HTML engines, so Wine never asks to install them.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Wine's background services (services.exe, winedevice.exe, ...) start with the
# first program of a server session and inherit its stdout and stderr. Under a
# persistent wineserver they outlive the program, and ctest would wait for them
# to close its output pipe until the test's timeout. Starting them here from a
# throw-away program with no output avoids that (0.1 s when already running).
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

exec wine "$@" </dev/null
