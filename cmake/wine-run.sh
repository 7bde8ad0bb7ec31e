#!/usr/bin/env bash
# The one way the project starts Windows programs (and Wine's own tools):
#
#   wine-run.sh PROGRAM [ARGS...]      runs a Windows program, or wineboot and the like
#   wine-run.sh --server start|stop|wait
#                                      the prefix's wineserver: start a persistent one,
#                                      stop it, or wait until it has ended
#   wine-run.sh --describe             one line naming the way programs run
#   wine-run.sh --i386 PROGRAM [ARGS]  a 32-bit Linux program, run as Wine is (the
#                                      trap repair's check)
#
# The way (plain Wine, or Wine under qemu-user) is chosen once per build folder by
# cmake/wine-setup.sh; see there. The Wine prefix lives inside the build folder, so
# a clean build starts from a fresh prefix and nothing is written to $HOME. It is
# taken from $VANTREL_WINEPREFIX when set (the Makefile and the ctest properties set
# it); otherwise it is <build>/wineprefix, where <build> is the nearest folder at or
# above PROGRAM's folder that holds a CMakeCache.txt. A fresh prefix is created on
# first use, but that takes a while, so the Makefile creates it once beforehand.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)

usage() {
    echo "usage: wine-run.sh PROGRAM [ARGS...] | --server start|stop|wait | --describe | --i386 PROGRAM" >&2
    exit 2
}
[[ $# -ge 1 ]] || usage

# Inside the user namespace of the qemu way: register qemu for i386 programs in the
# namespace's own binfmt_misc, then run the command.
if [[ $1 == --in-namespace ]]; then
    qemu=$2
    shift 2
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    # The usual i386 ELF magic and mask (executables and shared objects); F opens
    # the interpreter now, so it is found from any mount namespace.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":i386:M::$magic:$mask:$qemu:F" >/proc/sys/fs/binfmt_misc/register
    exec "$@"
fi

if [[ -z ${VANTREL_WINEPREFIX:-} ]]; then
    dir=$PWD
    [[ $1 == --* ]] || dir=$(cd -- "$(dirname -- "$1")" 2>/dev/null && pwd) || dir=$PWD
    while [[ $dir != / && ! -f $dir/CMakeCache.txt ]]; do
        dir=$(dirname -- "$dir")
    done
    if [[ ! -f $dir/CMakeCache.txt ]]; then
        echo "wine-run.sh: no build folder above $1; set VANTREL_WINEPREFIX" >&2
        exit 2
    fi
    VANTREL_WINEPREFIX=$dir/wineprefix
fi
build=$(dirname -- "$VANTREL_WINEPREFIX")
way=$("$here/wine-setup.sh" decide "$build")
parts=$build/wine-qemu

export WINEPREFIX=$VANTREL_WINEPREFIX
export WINEARCH=win32
export WINEDEBUG=-all
# An empty override disables the .NET and HTML engines, so Wine never asks to install them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Tests read it to name what the way cannot show (qemu delivers no floating-point
# exceptions).
export VANTREL_WINE_WAY=$way

# Runs a command the chosen way: as it is, or in a user namespace of its own where
# i386 programs go to qemu, with the trap repair preloaded into every 32-bit
# program (the loader's $LIB token gives 64-bit programs an empty twin) and the
# 64-bit server. Only the Windows programs get these; the rest of the build does not.
run() {
    if [[ $way == plain ]]; then
        exec "$@"
    fi
    local qemu=$parts/qemu/usr/bin/qemu-i386
    if [[ ! -x $qemu || ! -f $parts/traps/lib/i386-linux-gnu/libtrapno_repair.so ]]; then
        echo "wine-run.sh: the qemu way is not prepared in $build: run 'make deps'" >&2
        exit 2
    fi
    export WINESERVER=/usr/lib/wine/wineserver64
    export LD_PRELOAD="$parts/traps/\$LIB/libtrapno_repair.so"
    exec unshare --user --map-root-user --mount -- "$here/wine-run.sh" --in-namespace "$qemu" "$@"
}

server() {
    if [[ $way == qemu ]]; then echo /usr/lib/wine/wineserver64; else echo wineserver; fi
}

case $1 in
--describe)
    reason=$(sed -n 's/^VANTREL_WINE_WAY_REASON=//p' "$build/wine-way.env")
    if [[ $way == plain ]]; then
        echo "Windows programs run under plain Wine ($reason)."
    else
        version=$("$parts/qemu/usr/bin/qemu-i386" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([^ ]*\).*/\1/p')
        echo "Windows programs run under Wine on qemu-user ${version:-(not prepared yet)}, with the trap repair ($reason)."
    fi
    ;;
--server)
    [[ $# -eq 2 ]] || usage
    case $2 in
    start) run "$(server)" -p ;;
    stop) exec "$(server)" -k ;;
    wait) exec "$(server)" -w ;;
    *) usage ;;
    esac
    ;;
--i386)
    shift
    [[ $# -ge 1 ]] || usage
    run "$@"
    ;;
--*) usage ;;
*)
    # Wine's background services (services.exe, winedevice.exe, ...) start with the
    # first program of a server session and inherit its stdout and stderr. Under a
    # persistent wineserver they outlive the program, and ctest would wait for them
    # to close its output pipe until the test's timeout. Starting them first from a
    # throw-away program with no output avoids that (0.1 s when already running).
    run bash -c 'wine cmd /c exit </dev/null >/dev/null 2>&1 || true; exec wine "$@" </dev/null' wine "$@"
    ;;
esac
