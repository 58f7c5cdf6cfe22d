# Checks a freshly linked Pellora program without running it (the 32-bit
# one cannot run on these machines):
#   - the machine type of its word size;
#   - imports from the system's DLLs only, none from a compiler's runtime DLL
#     (libgcc, libstdc++ and winpthread are linked statically);
#   - every function it imports exported by Wine's DLL of that name, so
#     that nothing it needs is missing where it is tested (and so, in all
#     likelihood, on an older Windows). Wine's 64-bit DLLs are the ones this
#     machine has; a 32-bit program imports the same plain names from them.
#     They are read with the 64-bit objdump (WINE_OBJDUMP), which the 32-bit
#     one cannot stand in for.
# cmake -DEXE=... -DOBJDUMP=... -DWINE_OBJDUMP=... -DWORD_SIZE=32|64 [-DWINE_DLLS=<folder>] -P check_exe.cmake
cmake_policy(VERSION 3.25)
foreach(var EXE OBJDUMP WINE_OBJDUMP WORD_SIZE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_exe.cmake: ${var} not given")
  endif()
endforeach()
if(NOT DEFINED WINE_DLLS)
  set(WINE_DLLS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/pe-check.cmake)
pe_read_headers(check_exe.cmake ${EXE} ${OBJDUMP} ${WORD_SIZE} dump format)

# The import tables: "\tDLL Name: KERNEL32.dll", a heading line, then lines
# "\t<hint address>\t  <hint>  <name>" up to an empty line.
string(REGEX MATCHALL "DLL Name: [^\n]+\n[^\n]*\n(\t[0-9a-f]+\t +[0-9]+ +[^\n]+\n)*" blocks "${dump}")
if(NOT blocks)
  message(FATAL_ERROR "check_exe.cmake: no imports found in ${EXE}")
endif()
# The C runtime's entry points that exist only for 32-bit x86 (the start-up
# code's accessors of the runtime's globals, and setjmp's form there): the
# 32-bit msvcrt.dll exports them, the 64-bit one read here has no need to.
set(x86_only msvcrt.dll:__p__commode msvcrt.dll:__p__fmode msvcrt.dll:__p__wcmdln msvcrt.dll:_setjmp3)
set(dlls "")
set(count 0)
set(x86_count 0)
foreach(block ${blocks})
  string(REGEX MATCH "DLL Name: ([^\n]+)" _ "${block}")
  string(TOLOWER "${CMAKE_MATCH_1}" dll)
  pe_refuse_runtime_dll(check_exe.cmake ${EXE} ${dll})
  if(NOT EXISTS "${WINE_DLLS}/${dll}")
    message(FATAL_ERROR "check_exe.cmake: ${EXE} imports from ${dll}, which is no system DLL that Wine has")
  endif()
  execute_process(COMMAND ${WINE_OBJDUMP} -p "${WINE_DLLS}/${dll}" OUTPUT_VARIABLE exports RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "check_exe.cmake: ${WINE_OBJDUMP} cannot read Wine's ${dll}")
  endif()
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\] [^\n]+\n)*)" table "${exports}")
  set(exported "${CMAKE_MATCH_1}")
  string(REGEX MATCHALL "\t[0-9a-f]+\t +[0-9]+ +[^\n]+" imports "${block}")
  foreach(line ${imports})
    string(REGEX REPLACE "^\t[0-9a-f]+\t +[0-9]+ +" "" name "${line}")
    string(FIND "${exported}" "] ${name}\n" at)
    if(at EQUAL -1 AND WORD_SIZE EQUAL 32 AND "${dll}:${name}" IN_LIST x86_only)
      math(EXPR x86_count "${x86_count} + 1")
      continue()
    endif()
    if(at EQUAL -1)
      message(FATAL_ERROR "check_exe.cmake: ${EXE} imports ${name} from ${dll}, which Wine's ${dll} does not export")
    endif()
    math(EXPR count "${count} + 1")
  endforeach()
  list(APPEND dlls ${dll})
endforeach()
list(JOIN dlls ", " dll_text)
set(x86_text "")
if(x86_count GREATER 0)
  set(x86_text " (and ${x86_count} of the 32-bit C runtime alone)")
endif()
message(STATUS "${EXE}: ${format}, ${count} imports, all exported by Wine's ${dll_text}${x86_text}")
