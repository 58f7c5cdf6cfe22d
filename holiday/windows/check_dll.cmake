# Checks a freshly linked dovrel60.dll without running it (the 32-bit one
# cannot run here):
#   - the machine type of its word size;
#   - exactly the four entry points, exported by their plain names (a 32-bit
#     link would otherwise export _DllGetClassObject@12);
#   - no runtime DLLs of the compiler among its imports (libgcc, libstdc++,
#     winpthread are linked statically), only the platform's;
#   - the type library widl wrote, marked for this word size (SYS_WIN32 or
#     SYS_WIN64, which RegisterTypeLib and UnRegisterTypeLib go by), embedded
#     byte for byte.
# cmake -DDLL=... -DTLB=... -DOBJDUMP=... -DWORD_SIZE=32|64 -P check_dll.cmake
cmake_policy(VERSION 3.25)
foreach(var DLL TLB OBJDUMP WORD_SIZE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_dll.cmake: ${var} not given")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/pe-check.cmake)
pe_read_headers(check_dll.cmake ${DLL} ${OBJDUMP} ${WORD_SIZE} dump format)
if(WORD_SIZE EQUAL 64)
  set(syskind 3)  # SYS_WIN64
else()
  set(syskind 1)  # SYS_WIN32
endif()

# The export name table lists lines like "\t[   0] DllCanUnloadNow".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\] [^\n]+\n)*)" table "${dump}")
# (Brackets would confuse CMake's lists: the names are cut out first.)
string(REGEX REPLACE "[ \t]+\\[[ 0-9]+\\] ([^\n]+)\n" "\\1;" exported "${CMAKE_MATCH_1}")
list(REMOVE_ITEM exported "")
list(SORT exported)
set(expected DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "check_dll.cmake: ${DLL} exports '${exported}', expected '${expected}'")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import ${imports})
  string(REGEX REPLACE "DLL Name: " "" name "${import}")
  pe_refuse_runtime_dll(check_dll.cmake ${DLL} ${name})
endforeach()

file(READ ${TLB} tlb_hex HEX)
string(SUBSTRING "${tlb_hex}" 0 8 magic)
if(NOT magic STREQUAL "4d534654")  # "MSFT"
  message(FATAL_ERROR "check_dll.cmake: ${TLB} is not a type library")
endif()
# The header's flags word at offset 20: its low nibble is the SYSKIND.
string(SUBSTRING "${tlb_hex}" 41 1 marked)
if(NOT marked STREQUAL "${syskind}")
  message(FATAL_ERROR "check_dll.cmake: ${TLB} is marked for SYSKIND ${marked}, expected ${syskind}")
endif()
file(READ ${DLL} dll_hex HEX)
string(FIND "${dll_hex}" "${tlb_hex}" at)
if(at EQUAL -1 OR NOT at MATCHES "[02468]$")
  message(FATAL_ERROR "check_dll.cmake: ${DLL} does not carry ${TLB}")
endif()

list(JOIN exported ", " exported_text)
message(STATUS "${DLL}: ${format}, exports ${exported_text}, type library for SYSKIND ${syskind} embedded")
