# Cross-compiling the Windows console program with Debian's mingw-w64
# (package g++-mingw-w64-x86-64-posix). Everything is linked statically, so
# brimvel.exe and the test program run without any mingw DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRIMVEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRIMVEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRIMVEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BRIMVEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRIMVEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs are run under wine; CTest and gtest discovery use this.
find_program(BRIMVEL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(BRIMVEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BRIMVEL_WINE})
endif()
