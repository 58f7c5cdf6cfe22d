# Installs the public header's folder into a folder of its own and builds the
# example host with that copy as its only include path: proof that a host
# needs nothing else of ours to compile and link.
#
#   cmake -DBUILD=<build folder> -DPREFIX=<fresh folder> -DCXX=<compiler>
#         -DSOURCE=<dovrel60_host.cpp> -P build_with_installed_header.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${BUILD} --component dovrel60_headers --prefix ${PREFIX}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "installing the public header failed (${status})")
endif()
execute_process(
  COMMAND ${CXX} -std=c++20 -Wall -Wextra -Werror -I${PREFIX}/include/dovrel60 ${SOURCE} -o ${PREFIX}/dovrel60-host -ldl
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the example host does not build against the installed header alone")
endif()
message(STATUS "the example host built against ${PREFIX}/include/dovrel60 alone")
