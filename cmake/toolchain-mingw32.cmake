# Cross-compiles for 32-bit Windows with mingw-w64 and runs the results under Wine.
#
# The posix thread variant of the compilers is used because GoogleTest needs
# std::mutex. Everything is linked statically (libgcc, libstdc++, winpthread),
# so the test programs, the DLL and the demo run under Wine with no extra DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(_vantrel_triple i686-w64-mingw32)
set(CMAKE_C_COMPILER ${_vantrel_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_vantrel_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_vantrel_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_vantrel_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# CMake puts this in front of every add_test() command whose program is a target,
# and uses it for try_run(). The script finds the Wine prefix on its own (see there).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
