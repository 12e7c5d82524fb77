# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the POSIX
# threads flavour, which std::thread and std::mutex need).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# Libraries built for Windows are looked for under C2C_WINDOWS_PREFIX
# (tools/test-windows.sh installs pugixml, GoogleTest and CLI11 there); host
# programs are still found on the host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(C2C_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${C2C_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${C2C_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${C2C_MINGW}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES C2C_WINDOWS_PREFIX)
if(C2C_WINDOWS_PREFIX)
    set(CMAKE_FIND_ROOT_PATH "${C2C_WINDOWS_PREFIX};/usr/${C2C_MINGW}")
else()
    set(CMAKE_FIND_ROOT_PATH "/usr/${C2C_MINGW}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program stands alone: the C and C++ runtimes and winpthreads are
# linked in, so an .exe needs no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# zlib (Debian's libz-mingw-w64-dev) linked in too, not its DLL.
set(ZLIB_USE_STATIC_LIBS ON)

# Programs built here run under Wine on the build machine (tests, test
# discovery), in a Wine prefix of the build folder's own, without a display
# and without offers to install Mono or Gecko.
find_program(C2C_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(C2C_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        env -u DISPLAY -u WAYLAND_DISPLAY "WINEPREFIX=${CMAKE_BINARY_DIR}/wine" WINEDEBUG=-all
        "WINEDLLOVERRIDES=mscoree,mshtml=" "${C2C_WINE}")
endif()
