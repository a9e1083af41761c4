# Cross-builds the Windows programs on Debian with the distribution's mingw-w64 toolchain:
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-windows
#   ctest --test-dir build-windows --output-on-failure
#
# The posix thread model, because the C++ threads of the standard library need it; everything is
# linked statically, so that the programs need nothing beyond what every Windows has. The tests
# run under Wine (wine64), each in a private prefix made for the run (cmake/WineRun.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CORVANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CORVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CORVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest starts every test program through this script, which runs it under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/WineRun.sh)

# Header-only libraries of the distribution, taken into the cross build (cmake/mingw).
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw)
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw)
