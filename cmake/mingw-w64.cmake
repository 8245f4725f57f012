# Cross build for 64-bit Windows with Debian's mingw-w64, tests run under
# wine:
#
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-win32
#   export WINEPREFIX=$PWD/build-win32/wineprefix; mkdir -p $WINEPREFIX
#   wineserver -p >/dev/null 2>&1; wineboot -i >/dev/null 2>&1
#   setsid wine build-win32/tests/desktop_keeper.exe </dev/null >/dev/null 2>&1 &
#   ctest --test-dir build-win32; wineserver -k
#
# (scripts/test does all of this.) The persistent wine server, wine's
# services and its desktop process, all started away from ctest's pipes
# and process groups, keep every test from waiting for them or being
# ended with another test's group.
#
# The -posix variant of the compiler is the one with std::thread and
# std::mutex. Everything is linked statically, so scrpack.exe needs only
# the DLLs that come with Windows.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SCRPACK_MINGW_PREFIX x86_64-w64-mingw32)
find_program(SCRPACK_MINGW_CXX NAMES ${SCRPACK_MINGW_PREFIX}-g++-posix)
find_program(SCRPACK_MINGW_CC NAMES ${SCRPACK_MINGW_PREFIX}-gcc-posix)
if(NOT SCRPACK_MINGW_CXX OR NOT SCRPACK_MINGW_CC)
  message(FATAL_ERROR "${SCRPACK_MINGW_PREFIX}-g++-posix not found "
                      "(Debian: g++-mingw-w64-x86-64-posix)")
endif()
set(CMAKE_CXX_COMPILER ${SCRPACK_MINGW_CXX})
# GoogleTest's own project enables C as well.
set(CMAKE_C_COMPILER ${SCRPACK_MINGW_CC})
find_program(CMAKE_RC_COMPILER NAMES ${SCRPACK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SCRPACK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc, libstdc++ or winpthread DLL beside the executable; release
# builds without symbols (a quarter of the size).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")

# Target programs (the tool, the test binaries and their test discovery) run
# under wine, in a prefix of the build tree's own, without wine's chatter and
# without the Mono and Gecko installers that a fresh prefix would offer. A
# display is given only by tests that start their own X server.
find_program(SCRPACK_WINE NAMES wine wine64)
if(SCRPACK_WINE)
  set(SCRPACK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env -u DISPLAY WINEPREFIX=${SCRPACK_WINEPREFIX} WINEDEBUG=-all
          WINEDLLOVERRIDES=mscoree,mshtml= ${SCRPACK_WINE})
endif()
