# SPDX-License-Identifier: MIT
# Cross-compiles clip2c for 64-bit Windows with MinGW-w64 from Debian's
# g++-mingw-w64-x86-64 package, and runs what it builds under Wine:
#
#   cmake -S . -B build-win -DCMAKE_BUILD_TYPE=Release \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#   cmake --build build-win
#   ctest --test-dir build-win --output-on-failure
#
# scripts/test-windows.sh does all three with a Wine prefix of its own.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CLIP2C_MINGW_TRIPLE x86_64-w64-mingw32)

# The -posix variants give std::thread and friends; the -win32 ones lack them
# (GoogleTest builds with either, but the posix one is the documented one).
find_program(CMAKE_C_COMPILER NAMES ${CLIP2C_MINGW_TRIPLE}-gcc-posix ${CLIP2C_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${CLIP2C_MINGW_TRIPLE}-g++-posix ${CLIP2C_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${CLIP2C_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW sysroot only; programs (python3,
# wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${CLIP2C_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Built programs run under Wine, through a wrapper that keeps Wine quiet
# (WINEDEBUG=-all) and never lets it stop to ask about Mono or Gecko.
# CTest puts it before every test command that is a built executable.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
