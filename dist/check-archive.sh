#!/usr/bin/env bash
# Checks a release archive the way a user gets it:
#   check-archive.sh ARCHIVE NAME BIN_DIR WORK_DIR "OPTIONAL_FILES"
# ARCHIVE must unpack into the folder NAME and hold exactly the release files
# (an optional file exactly when BIN_DIR has it), SHA256SUMS must list every
# other file with its correct sum, and the DLLs, guide and licence must be the
# ones of this build and source tree.
set -euo pipefail

archive=$1 name=$2 bin=$3 work=$4 optional=$5
source_dir=$(cd "$(dirname "$0")/.." && pwd)
failures=0
fail() { echo "dist-test: FAIL: $*"; failures=$((failures + 1)); }

[[ -f $archive ]] || { echo "dist-test: FAIL: no archive $archive"; exit 1; }
[[ $name =~ ^vantrel-[0-9]+\.[0-9]+-win32$ ]] || fail "archive name '$name' carries no version"

# unzip's own integrity test: every member's CRC.
unzip -tq "$archive" >/dev/null || fail "unzip -t reports a damaged archive"

expected="LICENSE SHA256SUMS USER-GUIDE.md vantrel.dll demo/CH341DLL.DLL demo/vantrel.dll demo/vantrel_demo.exe
          virtual-panel/CH341DLL.DLL virtual-panel/virtual-panel.ini"
for file in $optional; do
    [[ -f $bin/$file ]] && expected="$expected $file demo/$file"
done
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

if ((failures > 0)); then
    echo "dist-test: $failures check(s) FAILED for $archive"
    exit 1
fi
echo "dist-test: OK: $archive ($(wc -l <"$unpacked/SHA256SUMS") files summed)"
