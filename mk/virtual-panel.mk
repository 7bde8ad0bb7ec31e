# The virtual panel (tools/virtual_panel): its end-to-end check on a virtual X display
# under Wine's X11 driver (tests/e2e/virtual_panel_check.sh), run by `make test`.
.PHONY: virtual-panel-check
EXTRA_TESTS += virtual-panel-check

# Xvfb and the X tools the check and `make demo WINDOW=1` use; libx11-dev for
# x_close_window, which closes the window as a window manager would.
APT_PACKAGES += xvfb x11-utils imagemagick libx11-dev
COMMANDS += Xvfb xdpyinfo xwininfo import compare identify

virtual-panel-check: build-native build-win32 wineprefix
	VANTREL_WINEPREFIX=$(WINE_PREFIX) bash tests/e2e/virtual_panel_check.sh $(WIN32_BUILD)/bin build/native/bin build/virtual-panel
