# Install-time script of the release archive: writes SHA256SUMS into the install
# folder, one "<sha256>  <name>" line per file of VANTREL_DIST_FILES, sorted by
# name; a file that was not installed stops the packaging. `sha256sum -c SHA256SUMS`
# checks an unpacked archive.
set(_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(_names ${VANTREL_DIST_FILES})
list(SORT _names)
set(_sums "")
foreach(_name IN LISTS _names)
  if(NOT EXISTS "${_dir}/${_name}")
    message(FATAL_ERROR "SHA256SUMS: the release file ${_name} is not in ${_dir}")
  endif()
  file(SHA256 "${_dir}/${_name}" _hash)
  string(APPEND _sums "${_hash}  ${_name}\n")
endforeach()
message(STATUS "Writing: ${_dir}/SHA256SUMS")
file(WRITE "${_dir}/SHA256SUMS" "${_sums}")
