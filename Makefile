# Entry points for people and CI: make demo, make test (see README.md).
SHELL := /bin/bash

# Further parts of the build (benchmarks, fuzzing, release) live in mk/*.mk; each
# may add a target name to EXTRA_TESTS, which `make test` runs after the suites.
EXTRA_TESTS :=
.NOTPARALLEL:
.PHONY: all deps wine-way build build-native build-native-asan build-win32 wineprefix test demo clean

WIN32_BUILD := build/win32
WINE_PREFIX := $(CURDIR)/$(WIN32_BUILD)/wineprefix
WINE_RUN := VANTREL_WINEPREFIX=$(WINE_PREFIX) $(CURDIR)/cmake/wine-run.sh

APT_PACKAGES := cmake g++ googletest libgtest-dev libbenchmark-dev libpng-dev clang \
                g++-mingw-w64-i686 wine wine32:i386
COMMANDS := cmake g++ clang i686-w64-mingw32-gcc-posix i686-w64-mingw32-g++-posix \
            i686-w64-mingw32-windres wine wineserver
# Recursive (=): fragments in mk/ may add to APT_PACKAGES.

all: build

# Quick when everything is there; installs what is missing when run as root. The
# way Windows programs run is chosen first (cmake/wine-setup.sh): the qemu way needs
# a few more packages, and qemu-user unpacked into the build folder.
deps:
	@packages="$(APT_PACKAGES) $$(cmake/wine-setup.sh packages $(WIN32_BUILD))"; \
	missing=""; \
	for c in $(COMMANDS); do command -v $$c >/dev/null 2>&1 || missing="$$missing $$c"; done; \
	dpkg -s $$packages >/dev/null 2>&1 || missing="$$missing (packages)"; \
	if [ -n "$$missing" ]; then \
	    install="dpkg --add-architecture i386 && apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$packages"; \
	    echo "Missing:$$missing"; \
	    if [ "$$(id -u)" != 0 ]; then echo "Run as root: $$install"; exit 1; fi; \
	    eval "$$install" || exit 1; \
	fi; \
	cmake/wine-setup.sh prepare $(WIN32_BUILD)

# Names the way Windows programs run, once, near the top of `make test` and `make demo`.
wine-way: deps
	@$(WINE_RUN) --describe

build: build-native build-win32

build-native:
	cmake --preset native
	cmake --build --preset native -j2

build-native-asan:
	cmake --preset native-asan
	cmake --build --preset native-asan -j2

build-win32:
	cmake --preset win32
	cmake --build --preset win32 -j2

# Creating a Wine prefix takes several seconds: done once per build folder.
wineprefix: $(WINE_PREFIX)/.initialised

$(WINE_PREFIX)/.initialised:
	@echo "Initialising the Wine prefix $(WINE_PREFIX)"
	$(WINE_RUN) wineboot -i
	$(WINE_RUN) --server wait
	touch $@

# One persistent wineserver serves every Wine test of the run; it is stopped
# whatever the outcome (cmake/wine-run.sh keeps Wine's background services off
# ctest's output pipes).
test: wine-way build wineprefix
	@status=0; \
	$(WINE_RUN) --server start >/dev/null 2>&1; \
	trap '$(WINE_RUN) --server stop >/dev/null 2>&1 || true' EXIT; \
	ctest --preset native --output-on-failure || status=1; \
	ctest --preset win32 --output-on-failure || status=1; \
	for t in $(EXTRA_TESTS); do $(MAKE) --no-print-directory $$t || status=1; done; \
	if [ $$status != 0 ]; then echo "make test: some tests FAILED"; fi; \
	exit $$status

# The demo drives the real DLL under Wine, then replays what reached the stand-in
# bridge through the panel emulator: a picture in the terminal and a PNG.
# Other panels: make demo GEOMETRY=16x2 (or 16x4, 40x2, ...); own rows: ROWS='"a" "b"'.
# WINDOW=1 runs it beside the virtual panel instead and saves a screenshot of its
# window beside the PNG (tools/virtual_panel/demo_window.sh).
GEOMETRY ?= 20x4
ROWS ?=
WINDOW ?= 0
DEMO_DIR := build/demo
demo: wine-way build-win32 wineprefix
	cmake --preset native >/dev/null
	cmake --build --preset native -j2 --target lcdview
	@mkdir -p $(DEMO_DIR); rm -f $(DEMO_DIR)/stream.txt
ifeq ($(WINDOW),1)
	VANTREL_WINEPREFIX=$(WINE_PREFIX) bash tools/virtual_panel/demo_window.sh $(WIN32_BUILD)/bin $(DEMO_DIR) $(GEOMETRY) $(ROWS)
else
	VANTREL_BRIDGE_LOG=$(CURDIR)/$(DEMO_DIR)/stream.txt $(WINE_RUN) $(WIN32_BUILD)/bin/vantrel_demo.exe $(GEOMETRY) $(ROWS)
endif
	@echo
	build/native/bin/lcdview --geometry $(GEOMETRY) --png $(DEMO_DIR)/panel-$(GEOMETRY).png $(DEMO_DIR)/stream.txt
	@echo "Picture of the panel: $(DEMO_DIR)/panel-$(GEOMETRY).png"

clean:
	-@[ -f $(WIN32_BUILD)/wine-way.env ] && $(WINE_RUN) --server stop >/dev/null 2>&1 || true
	rm -rf build

include $(wildcard mk/*.mk)
