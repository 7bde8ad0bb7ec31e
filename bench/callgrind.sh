#!/usr/bin/env bash
# Instructions per entry call, counted by callgrind, against the bare loop that makes
# the same bridge calls (the floor; see bench_support.h). The bridge and the waits
# are the benchmark's counting no-ops, so the count is the library's own code plus
# the same few instructions per bridge call that the floor pays as well.
#
#     bench/callgrind.sh [BUILD_DIR]      BUILD_DIR defaults to build/bench
#
# instr_driver runs N calls of one case; the script runs it for N and 2N calls and
# takes (count(2N) - count(N)) / N, so start-up and exit cancel out. With strace
# present, it then counts system calls per call the same way.
set -euo pipefail

build=${1:-build/bench}
driver=$build/bin/instr_driver
N=${N:-1000}
cases=(write80 setposition customchar refresh calculate-attached calculate-unattached outputname)

if [[ ! -x $driver ]]; then
    echo "callgrind.sh: $driver not built (cmake --build $build --target instr_driver)" >&2
    exit 2
fi
command -v valgrind >/dev/null || { echo "callgrind.sh: valgrind not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Total instructions (Ir) of one run of the driver.
instructions() {
    local out=$work/callgrind.out
    valgrind --tool=callgrind --callgrind-out-file="$out" "$driver" "$1" "$2" >/dev/null 2>"$work/valgrind.log" ||
        { cat "$work/valgrind.log" >&2; exit 1; }
    awk '/^(summary|totals):/ { print $2; exit }' "$out"
}

# Instructions per call of case $1, to one decimal.
per_call() {
    local one two
    one=$(instructions "$1" "$N")
    two=$(instructions "$1" $((2 * N)))
    awk -v a="$one" -v b="$two" -v n="$N" 'BEGIN { printf "%.1f", (b - a) / n }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }

echo "Instructions per call (callgrind Ir, N=$N and 2N calls, difference / N)"
echo
printf '| %-22s | %12s | %10s | %6s | %12s |\n' case instructions floor ratio "beyond floor"
printf '|%s|%s|%s|%s|%s|\n' ------------------------ -------------- ------------ -------- --------------
declare -A ir floor
for c in "${cases[@]}"; do
    ir[$c]=$(per_call "$c")
    floor[$c]=$(per_call "$c-floor")
    beyond=$(awk -v a="${ir[$c]}" -v b="${floor[$c]}" 'BEGIN { printf "%.1f", a - b }')
    printf '| %-22s | %12s | %10s | %6s | %12s |\n' "$c" "${ir[$c]}" "${floor[$c]}" \
        "$(ratio "${ir[$c]}" "${floor[$c]}")" "$beyond"
done
echo

verdict() { if awk -v v="$1" -v l="$2" 'BEGIN { exit !(v <= l) }'; then echo met; else echo MISSED; fi; }
write_ratio=$(ratio "${ir[write80]}" "${floor[write80]}")
echo "Target: Write of 80 characters at most 1.2 x the bare loop: ${write_ratio} x -> $(verdict "$write_ratio" 1.2)"
echo "Target: CalculateEx attached under 300 instructions (four rows): ${ir[calculate-attached]} -> $(verdict "${ir[calculate-attached]}" 299.9)"

if ! command -v strace >/dev/null; then
    echo
    echo "strace not installed: system calls per call not counted"
    exit 0
fi

# System calls of one run, one "name count" line per call name.
syscalls() {
    strace -f -c -o "$work/strace.out" "$driver" "$1" "$2" >/dev/null
    awk 'NF >= 5 && $1 ~ /^[0-9.]+$/ && $NF != "total" { print $NF, $4 }' "$work/strace.out" | sort
}

echo
echo "System calls per call (strace -f -c, N=$N and 2N calls, difference / N)"
echo
printf '| %-22s | %9s | %s |\n' case "per call" "which"
printf '|%s|%s|%s|\n' ------------------------ ----------- ----------------------------
for c in "${cases[@]}"; do
    syscalls "$c" "$N" >"$work/one"
    syscalls "$c" $((2 * N)) >"$work/two"
    summary=$(join -a 1 -a 2 -e 0 -o 0,1.2,2.2 "$work/one" "$work/two" |
        awk -v n="$N" '{ d = ($3 - $2) / n; if (d != 0) { t += d; w = w sprintf("%s %.2f ", $1, d) } }
                       END { printf "%.2f|%s", t, (w == "" ? "none" : w) }')
    printf '| %-22s | %9s | %s |\n' "$c" "${summary%%|*}" "${summary#*|}"
    if [[ $c == calculate-attached ]]; then attached_calls=${summary%%|*}; fi
done
echo
echo "Target: CalculateEx attached makes no system call: ${attached_calls} per call -> $(verdict "$attached_calls" 0)"
