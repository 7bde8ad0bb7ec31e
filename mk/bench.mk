# Benchmarks (not tests; nothing here joins EXTRA_TESTS):
#   make bench       Release native build in build/bench: the entry benchmarks with
#                    the bridge and the waits as counting no-ops, then instruction and
#                    system-call counts per entry (bench/callgrind.sh)
#   make bench-wine  the real DLL under Wine with the stand-in bridge, waits included,
#                    its timer path beside the Sleep path (vantrel_sleep.dll)
# Results and how to read them: bench/README.md. BENCH_ARGS goes to the benchmark
# binary, e.g. make bench BENCH_ARGS=--benchmark_filter=write.
.PHONY: bench bench-deps bench-wine

BENCH_BUILD := build/bench
BENCH_ARGS ?=
# Needed by bench/callgrind.sh only, so they are checked here rather than by `deps`.
BENCH_APT_PACKAGES := valgrind strace

bench-deps: deps
	@dpkg -s $(BENCH_APT_PACKAGES) >/dev/null 2>&1 && exit 0; \
	if [ "$$(id -u)" != 0 ]; then \
	    echo "Run as root: apt-get install -y $(BENCH_APT_PACKAGES)"; \
	    exit 1; \
	fi; \
	apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $(BENCH_APT_PACKAGES)

bench: bench-deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j2 --target vantrel_bench instr_driver
	$(BENCH_BUILD)/bin/vantrel_bench $(BENCH_ARGS)
	bench/callgrind.sh $(BENCH_BUILD)

bench-wine: wine-way wineprefix
	cmake --preset win32
	cmake --build --preset win32 --target wine_timing
	$(WINE_RUN) $(WIN32_BUILD)/bin/wine_timing.exe
