#!/usr/bin/env bash
# Checks a release archive the way a user gets it:
#   check-archive.sh ARCHIVE NAME BIN_DIR WORK_DIR
# ARCHIVE must unpack into the folder NAME and hold exactly the release files,
# SHA256SUMS must list every
# other file with its correct sum, and the DLLs, guide and licence must be the
# ones of this build and source tree. The DLL must be stripped, and its
# .gnu_debuglink must name vantrel.dll.debug beside the archive with that file's CRC.
set -euo pipefail

archive=$1 name=$2 bin=$3 work=$4
source_dir=$(cd "$(dirname "$0")/.." && pwd)
failures=0
fail() { echo "dist-test: FAIL: $*"; failures=$((failures + 1)); }

[[ -f $archive ]] || { echo "dist-test: FAIL: no archive $archive"; exit 1; }
[[ $name =~ ^vantrel-[0-9]+\.[0-9]+-win32$ ]] || fail "archive name '$name' carries no version"

# unzip's own integrity test: every member's CRC.
unzip -tq "$archive" >/dev/null || fail "unzip -t reports a damaged archive"

expected="LICENSE SHA256SUMS USER-GUIDE.md vantrel.dll vantrel_reader.exe demo/CH341DLL.DLL demo/vantrel.dll
          demo/vantrel_demo.exe demo/vantrel_reader.exe virtual-panel/CH341DLL.DLL virtual-panel/virtual-panel.ini"
expected=$(tr -s ' \n' '\n' <<<"$expected" | sed "s|^|$name/|" | sort)
# File members only (folder entries end in /).
listed=$(unzip -Z1 "$archive" | grep -v '/$' | sort)
if [[ $listed != "$expected" ]]; then
    fail "archive members differ from the release files"
    diff <(echo "$expected") <(echo "$listed") | sed 's/^/    /' || true
fi

rm -rf "$work"
mkdir -p "$work"
unzip -q "$archive" -d "$work"
unpacked=$work/$name

if [[ -f $unpacked/SHA256SUMS ]]; then
    # Every file but SHA256SUMS itself is listed, once, with a correct sum.
    summed=$(awk '{print $2}' "$unpacked/SHA256SUMS" | sort)
    others=$(cd "$unpacked" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort)
    [[ $summed == "$others" ]] || fail "SHA256SUMS does not list exactly the archive's files"
    (cd "$unpacked" && sha256sum --quiet --strict -c SHA256SUMS) || fail "SHA256SUMS check failed"
else
    fail "no SHA256SUMS in the archive"
fi

# The same form check as the built DLL gets in `make test`.
if [[ -f $unpacked/vantrel.dll ]]; then
    /usr/bin/python3 "$source_dir/tests/dll_form/check_dll_form.py" "$unpacked/vantrel.dll" \
        "$source_dir/src/vantrel.def" || fail "the archive's vantrel.dll fails the form check"
fi

for pair in "vantrel.dll:$bin/vantrel.dll" "demo/vantrel.dll:$bin/vantrel.dll" \
            "demo/vantrel_demo.exe:$bin/vantrel_demo.exe" \
            "demo/CH341DLL.DLL:$bin/CH341DLL.DLL" \
            "virtual-panel/CH341DLL.DLL:$bin/virtual-panel/CH341DLL.DLL" \
            "virtual-panel/virtual-panel.ini:$source_dir/tools/virtual_panel/virtual-panel.ini" \
            "USER-GUIDE.md:$source_dir/docs/USER-GUIDE.md" "LICENSE:$source_dir/LICENSE"; do
    member=${pair%%:*} original=${pair#*:}
    cmp -s "$unpacked/$member" "$original" || fail "$member differs from $original"
done

# The shipped DLL: no debug sections; its debug link names the file beside the
# archive, and carries that file's CRC-32 (the one gzip's trailer holds).
dll=$unpacked/vantrel.dll
debug=$(dirname "$archive")/vantrel.dll.debug
sections=$(i686-w64-mingw32-objdump -h "$dll" | awk '$1 ~ /^[0-9]+$/ {print $2}')
grep -q '^\.debug' <<<"$sections" && fail "vantrel.dll is not stripped: $(grep '^\.debug' <<<"$sections" | tr '\n' ' ')"
if [[ ! -f $debug ]]; then
    fail "no vantrel.dll.debug beside the archive"
elif ! grep -qx '\.gnu_debuglink' <<<"$sections"; then
    fail "vantrel.dll has no .gnu_debuglink"
else
    link=$work/debuglink
    i686-w64-mingw32-objcopy --dump-section .gnu_debuglink="$link" "$dll" "$work/dll-copy"
    linked_name=$(head -c "$(($(stat -c %s "$link") - 4))" "$link" | tr -d '\0')
    [[ $linked_name == vantrel.dll.debug ]] || fail "the debug link names '$linked_name'"
    cmp -s <(tail -c 4 "$link") <(gzip -c "$debug" | tail -c 8 | head -c 4) ||
        fail "the debug link's CRC is not that of $debug"
    i686-w64-mingw32-objdump -h "$debug" | grep -q ' \.debug_info ' || fail "$debug holds no .debug_info"
fi

if ((failures > 0)); then
    echo "dist-test: $failures check(s) FAILED for $archive"
    exit 1
fi
echo "dist-test: OK: $archive ($(wc -l <"$unpacked/SHA256SUMS") files summed)"
