# What the Windows builds of both programs (holiday/windows, viewer/windows)
# share: C++20, a release build unless told otherwise, no warnings left, the
# Unicode forms of the API, and everything linked statically, so that what
# is shipped needs no runtime DLL beside the system's (an office copies
# pellora.exe alone; hosts load dovrel60.dll from anywhere).
# WINDOWS_WORD_SIZE is 64 or 32, for the checks and tools that differ.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()
# Warnings for our C and C++ only: windres shares the compile options
# otherwise.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-Wall> $<$<COMPILE_LANGUAGE:C,CXX>:-Wextra>
                    $<$<COMPILE_LANGUAGE:C,CXX>:-Werror>)
add_compile_definitions(UNICODE _UNICODE)
add_link_options(-static -static-libgcc -static-libstdc++)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(WINDOWS_WORD_SIZE 64)
else()
  set(WINDOWS_WORD_SIZE 32)
endif()
