# The release archive: `make dist` builds build/win32/vantrel-<version>-win32.zip
# with CPack (dist/CMakeLists.txt); `dist-test` (run by `make test`) opens it and
# checks its files, their SHA256SUMS and that its DLL is the one just built.
.PHONY: dist dist-test
EXTRA_TESTS += dist-test

# unzip reads the archive in dist-test, independently of the tools that wrote it.
APT_PACKAGES += unzip
COMMANDS += unzip

DIST_CPACK_CONFIG := $(WIN32_BUILD)/CPackConfig.cmake
DIST_WORK := build/dist-test
# The archive's base name as the configured build sets it (vantrel-<version>-win32);
# read by the shell, after the build has (re)configured.
DIST_NAME_COMMAND := sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$$/\1/p' $(DIST_CPACK_CONFIG)

dist: deps build-win32
	cmake --build --preset win32 -j2 --target package
	@echo "Release archive: $(WIN32_BUILD)/$$($(DIST_NAME_COMMAND)).zip"

dist-test:
	@$(MAKE) --no-print-directory dist && \
	name=$$($(DIST_NAME_COMMAND)) && \
	bash dist/check-archive.sh $(WIN32_BUILD)/$$name.zip "$$name" $(WIN32_BUILD)/bin $(DIST_WORK)
