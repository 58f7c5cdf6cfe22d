# Cross-compiling for 64-bit Windows with MinGW-w64 (g++-mingw-w64-x86-64).
#   cmake -S holiday/windows -B build-win64 --toolchain cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
