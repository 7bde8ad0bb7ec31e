# Install-time script of the release archive: writes SHA256SUMS into the install
# folder, one "<sha256>  <name>" line per file of VANTREL_DIST_FILES that was
# installed (optional files may be absent), sorted by name. `sha256sum -c SHA256SUMS`
# checks an unpacked archive.
set(_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(_names ${VANTREL_DIST_FILES})
list(SORT _names)
set(_sums "")
foreach(_name IN LISTS _names)
  if(EXISTS "${_dir}/${_name}")
    file(SHA256 "${_dir}/${_name}" _hash)
    string(APPEND _sums "${_hash}  ${_name}\n")
  endif()
endforeach()
if(_sums STREQUAL "")
  message(FATAL_ERROR "SHA256SUMS: none of the release files is in ${_dir}")
endif()
message(STATUS "Writing: ${_dir}/SHA256SUMS")
file(WRITE "${_dir}/SHA256SUMS" "${_sums}")
