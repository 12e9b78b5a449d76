# Cross-build for 64-bit Windows with mingw-w64 (posix threads); tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(toolchain_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${toolchain_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${toolchain_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${toolchain_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${toolchain_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest starts every test executable through Wine.
find_program(VT_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH)
if(NOT VT_WINE64)
  find_program(VT_WINE64 NAMES wine64 wine)
endif()
if(VT_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VT_WINE64})
endif()
