# What the checks of a freshly linked Windows program or DLL share
# (viewer/windows/check_exe.cmake, holiday/windows/check_dll.cmake), in
# script mode: its headers as objdump prints them, its machine type, and
# that it needs no runtime DLL of the compiler.

# Reads `file`'s headers with `objdump` into `dump_var` and checks that it
# is of `word_size`'s machine type, whose objdump name goes to `format_var`.
# `checker` names the calling script in the messages.
function(pe_read_headers checker file objdump word_size dump_var format_var)
  execute_process(COMMAND ${objdump} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${checker}: ${objdump} -p ${file} failed")
  endif()
  if(word_size EQUAL 64)
    set(format "pei-x86-64")
  else()
    set(format "pei-i386")
  endif()
  if(NOT dump MATCHES "file format ${format}")
    message(FATAL_ERROR "${checker}: ${file} is not ${format}")
  endif()
  set(${dump_var} "${dump}" PARENT_SCOPE)
  set(${format_var} "${format}" PARENT_SCOPE)
endfunction()

# libgcc, libstdc++ and winpthread are linked statically: an import from a
# DLL of theirs (lib*.dll) would need that DLL beside `file`.
function(pe_refuse_runtime_dll checker file dll)
  string(TOLOWER "${dll}" lower)
  if(lower MATCHES "^lib")
    message(FATAL_ERROR "${checker}: ${file} needs the runtime DLL ${dll}: link it statically")
  endif()
endfunction()
