# Cross-compiles for Windows x86-64 with Debian's mingw-w64 (posix threads)
# against the static Qt and pugixml that scripts/windows.sh builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT DEFINED KV_WIN_CACHE)
  if(DEFINED ENV{KV_WIN_CACHE})
    set(KV_WIN_CACHE $ENV{KV_WIN_CACHE})
  else()
    set(KV_WIN_CACHE $ENV{HOME}/.cache/kv52013)
  endif()
endif()
set(KV_WIN_PREFIX ${KV_WIN_CACHE}/qt-6.4.2-mingw64 ${KV_WIN_CACHE}/pugixml-mingw64 CACHE STRING "")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KV_WIN_PREFIX})
set(CMAKE_PREFIX_PATH ${KV_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: the programs run from an unzipped folder, and Wine
# finds no mingw runtime DLLs otherwise.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the Windows test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
