# Cross-compiling for 32-bit x86 Windows with MinGW-w64 (g++-mingw-w64-i686):
# what VB6 and 32-bit Office load.
#   cmake -S holiday/windows -B build-win32 --toolchain cmake/mingw-w64-i686.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
