# What the two MinGW-w64 toolchains share; MINGW_TRIPLE names the target.
# MINGW_THREADS (win32 or posix) picks the compilers of that thread model;
# without it, the system's default ones.
if(MINGW_THREADS)
  set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-${MINGW_THREADS})
  set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-${MINGW_THREADS})
else()
  set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc)
  set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++)
endif()
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(MINGW_WIDL ${MINGW_TRIPLE}-widl)
set(MINGW_OBJDUMP ${MINGW_TRIPLE}-objdump)

# Libraries and headers of the target only; programs (widl, the host tools)
# from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
