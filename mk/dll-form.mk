# The DLL's form, read from the built vantrel.dll itself with Debian's
# python3-pefile (tests/dll_form/check_dll_form.py): exports exactly as
# src/vantrel.def, only the three allowed DLLs imported and the four bridge calls,
# the flags that let the system call the guard frames' handler, and the version
# resource against the driver name. `make test` runs it on the built DLL;
# dist/check-archive.sh runs it on the release archive's copy.
.PHONY: dll-form
EXTRA_TESTS += dll-form

APT_PACKAGES += python3-pefile

# Debian's interpreter, which python3-pefile is installed for, whatever python3
# comes first on the PATH.
DLL_FORM_CHECK := /usr/bin/python3 tests/dll_form/check_dll_form.py

dll-form: build-win32
	$(DLL_FORM_CHECK) $(WIN32_BUILD)/bin/vantrel.dll src/vantrel.def
