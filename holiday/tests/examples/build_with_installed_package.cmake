# Installs what the development package holds (the headers, the library,
# dovrel60.pc and the example hosts) into a folder of its own and builds
# both examples from there as a host programmer would: the linked one with
# nothing but `pkg-config --cflags --libs dovrel60`, the one that loads the
# library at run time with the header folder alone. Then runs the linked
# one. Proof that a host needs nothing else of ours, in the standard given
# or, without one, in the compiler's default.
#
#   cmake -DBUILD=<build folder> -DPREFIX=<fresh folder> -DCXX=<compiler>
#         [-DSTD=c++17] [-DOPTIONS=<compiler options>] -P build_with_installed_package.cmake
file(REMOVE_RECURSE ${PREFIX})
foreach(component dovrel60_headers dovrel60_dev dovrel60)
  execute_process(
    COMMAND ${CMAKE_COMMAND} --install ${BUILD} --component ${component} --prefix ${PREFIX}
    OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing ${component} failed (${status})")
  endif()
endforeach()
file(GLOB_RECURSE pc ${PREFIX}/dovrel60.pc)
file(GLOB_RECURSE examples ${PREFIX}/host.cpp)
if(NOT pc OR NOT examples)
  message(FATAL_ERROR "no dovrel60.pc or examples/host.cpp under ${PREFIX}")
endif()
get_filename_component(pcdir ${pc} DIRECTORY)
get_filename_component(libdir ${pcdir} DIRECTORY)
get_filename_component(exampledir ${examples} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pcdir})
execute_process(COMMAND pkg-config --cflags --libs dovrel60 OUTPUT_VARIABLE flags RESULT_VARIABLE status
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know dovrel60.pc")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
set(standard)
if(STD)
  set(standard -std=${STD})
endif()
separate_arguments(options UNIX_COMMAND "${OPTIONS}")

execute_process(
  COMMAND ${CXX} ${standard} ${options} -Wall -Wextra -Werror ${exampledir}/host.cpp ${flags} -o ${PREFIX}/host
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "host.cpp does not build with pkg-config's flags (${standard})")
endif()
execute_process(
  COMMAND ${CXX} ${standard} ${options} -Wall -Wextra -Werror -I${PREFIX}/include/dovrel60 ${exampledir}/dovrel60_host.cpp
          -o ${PREFIX}/dovrel60-host -ldl
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dovrel60_host.cpp does not build against the installed headers alone (${standard})")
endif()

set(ENV{LD_LIBRARY_PATH} ${libdir})
set(ENV{DOVREL_REGISTRY} ${PREFIX}/registry.reg)
execute_process(COMMAND ${PREFIX}/host RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the linked host did not get its answers (${status})")
endif()
message(STATUS "both example hosts built from ${PREFIX} (${standard}), and the linked one answered")
