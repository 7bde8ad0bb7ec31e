# CPack post-build script: puts vantrel.dll's debug information (the file its
# .gnu_debuglink names) beside the archive, in the folder CPack writes it to, so
# that a crash report from a released DLL can be read with the symbols of exactly
# that build.
set(_beside "${CPACK_OUTPUT_FILE_PREFIX}/vantrel.dll.debug")
message(STATUS "Debug information beside the archive: ${_beside}")
file(COPY_FILE "${CPACK_VANTREL_DEBUG_FILE}" "${_beside}")
