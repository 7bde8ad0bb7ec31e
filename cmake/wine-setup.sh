#!/usr/bin/env bash
# Chooses how a build folder runs Windows programs, and prepares that way.
#
#   wine-setup.sh decide BUILD     prints the way, "plain" or "qemu", and records it
#                                  in BUILD/wine-way.env (decided once per folder)
#   wine-setup.sh packages BUILD   Debian packages the recorded way needs beyond Wine
#   wine-setup.sh prepare BUILD    the qemu way: qemu-user, the trap repair, its check
#
# plain: Wine as it is, where the kernel runs 32-bit x86 programs.
# qemu:  where it refuses them ("IA-32 emulation off"), 32-bit Wine runs under
#        qemu-user 10 or later, registered for i386 programs in a binfmt_misc of a
#        user namespace of its own (Linux 6.7 and later), so nothing system-wide
#        changes. qemu reports every fault with trap number -1, which Wine's i386
#        handlers cannot read; tools/qemu_traps' library, preloaded, repairs it.
#        The server is the 64-bit one of the wine64 package.
# VANTREL_WINE_WAY=plain or =qemu forces either way (the qemu way works on any
# x86-64 kernel from 6.7 on).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")

usage() {
    echo "usage: wine-setup.sh decide|packages|prepare BUILD" >&2
    exit 2
}
[[ $# -eq 2 ]] || usage
command=$1
mkdir -p "$2"
build=$(cd "$2" && pwd)
way_file=$build/wine-way.env
parts=$build/wine-qemu

# A static i386 program of four instructions that exits with status 0; a kernel
# that refuses i386 programs answers "Exec format error".
i386_probe() {
    local probe=$build/i386-probe
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
        `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
        `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00'`
        `'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'`
        `'\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'`
        `'\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
}

# A qemu registered system-wide for i386 programs would run the probe too, but it
# is not one whose faults Wine can read: that machine takes the qemu way as well.
system_emulates_i386() {
    grep -qs 'interpreter .*qemu-i386' /proc/sys/fs/binfmt_misc/* 2>/dev/null
}

decide() {
    local way=${VANTREL_WINE_WAY:-}
    local reason="forced by VANTREL_WINE_WAY"
    if [[ -z $way && -f $way_file ]]; then
        way=$(sed -n 's/^VANTREL_WINE_WAY=//p' "$way_file")
        reason=$(sed -n 's/^VANTREL_WINE_WAY_REASON=//p' "$way_file")
    fi
    if [[ -z $way ]]; then
        if i386_probe && ! system_emulates_i386; then
            way=plain reason="this kernel runs 32-bit x86 programs"
        else
            way=qemu reason="this kernel refuses 32-bit x86 programs"
        fi
    fi
    case $way in
    plain | qemu) ;;
    *) echo "wine-setup.sh: VANTREL_WINE_WAY must be plain or qemu, not '$way'" >&2; exit 2 ;;
    esac
    printf 'VANTREL_WINE_WAY=%s\nVANTREL_WINE_WAY_REASON=%s\n' "$way" "$reason" >"$way_file"
    echo "$way"
}

# ---- qemu-user -------------------------------------------------------------------

qemu_version_ok() {  # qemu-i386 10.0 or later
    local version
    version=$("$1" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p')
    [[ -n $version && $version -ge 10 ]]
}

# The Debian archive this machine already uses, read from its own apt sources.
debian_archive() {
    local file uri
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] || continue
        uri=$(awk -v suite="$codename" '
            /^URIs:/ { uris = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == suite) hit = 1 }
            /^$/ { if (hit && uris != "") exit; hit = 0; uris = "" }
            END { if (hit && uris != "") print uris }' "$file")
        [[ -n $uri ]] && { echo "$uri"; return; }
    done
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f $file ]] || continue
        uri=$(awk -v suite="$codename" '$1 == "deb" {
            for (i = 2; i < NF; i++) if ($i !~ /^\[/ && $(i + 1) == suite) { print $i; exit } }' "$file")
        [[ -n $uri ]] && { echo "$uri"; return; }
    done
}

# qemu-user from the running release's backports, downloaded with a private apt
# configuration and unpacked into the build folder: the system's sources and
# packages stay as they are. Only qemu-i386 is kept (it is statically linked).
fetch_qemu() {
    local qemu=$parts/qemu/usr/bin/qemu-i386
    qemu_version_ok "$qemu" && return 0
    # shellcheck disable=SC1091
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    local archive
    archive=$(debian_archive)
    if [[ -z $codename || -z $archive ]]; then
        fail "no Debian release or archive found in /etc/os-release and /etc/apt/sources*"
    fi
    local apt=$parts/apt
    rm -rf "$apt" "$parts/qemu"
    mkdir -p "$apt/etc/parts" "$apt/lists/partial" "$apt/cache/archives/partial" "$parts/qemu"
    : >"$apt/status"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $archive $codename-backports main" \
        >"$apt/etc/sources.list"
    local options=(-o "Dir::Etc::SourceList=$apt/etc/sources.list" -o "Dir::Etc::SourceParts=$apt/etc/parts"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "Dir::State::status=$apt/status"
        -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)")
    echo "wine-setup: fetching qemu-user from $codename-backports into $parts/qemu"
    apt-get "${options[@]}" -qq update >"$apt/log" 2>&1 ||
        fail "apt-get update of $codename-backports failed (see $apt/log)"
    (cd "$apt" && apt-get "${options[@]}" -qq download qemu-user >>"$apt/log" 2>&1) ||
        fail "qemu-user is not to be had from $codename-backports (see $apt/log)"
    dpkg-deb --fsys-tarfile "$apt"/qemu-user_*.deb | tar -x -C "$parts/qemu" ./usr/bin/qemu-i386
    rm -f "$apt"/qemu-user_*.deb
    qemu_version_ok "$qemu" || fail "$codename-backports has $("$qemu" --version | head -1); 10.0 or later is needed"
}

# The repair library (32-bit) and its empty 64-bit twin, then its check under qemu.
build_repair() {
    cmake -S "$source_dir/tools/qemu_traps" -B "$parts/traps" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$parts/traps" >/dev/null
    mkdir -p "$parts/traps/lib/x86_64-linux-gnu"
    gcc -shared -o "$parts/traps/lib/x86_64-linux-gnu/libtrapno_repair.so" -x c /dev/null
}

fail() {
    echo "wine-setup: the qemu way cannot be prepared: $1" >&2
    echo "wine-setup: it needs Linux 6.7 or later, user namespaces, and Debian's $codename-backports;" >&2
    echo "wine-setup: after mending that, run 'make deps' again." >&2
    rm -rf "$parts/qemu"
    exit 1
}

prepare() {
    [[ $(decide) == qemu ]] || return 0
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    fetch_qemu
    build_repair
    unshare --user --map-root-user --mount true 2>/dev/null ||
        fail "this kernel gives no user namespace (unshare --user)"
    VANTREL_WINEPREFIX=$build/wineprefix "$here/wine-run.sh" --i386 "$parts/traps/bin/trapno_check" >"$parts/trapno-check.log" 2>&1 || {
        cat "$parts/trapno-check.log" >&2
        fail "the trap repair's check failed under qemu"
    }
}

case $command in
decide) decide ;;
packages) [[ $(decide) == qemu ]] && echo "wine64 gcc-multilib" || true ;;
prepare) prepare ;;
*) usage ;;
esac
