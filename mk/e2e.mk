# End to end under Wine through the panel emulator, for every listed geometry.
.PHONY: wine-panel-check
EXTRA_TESTS += wine-panel-check

wine-panel-check: build-native build-win32 wineprefix
	VANTREL_WINEPREFIX=$(WINE_PREFIX) bash tests/e2e/wine_panel_check.sh $(WIN32_BUILD)/bin build/native/bin/lcdview build/e2e
