# layer_headers(<target> [INTERFACE])
#
# The headers of the layer in the current source folder, reachable as
# "folder/file.h" by the target's own sources and by the targets that link
# it, and by no others. Naming the folder above as the include path, as one
# would at first, makes every sibling's headers reachable from anywhere; the
# include path is instead a folder of the build tree that holds one link, to
# this folder alone. An include of a layer that a target does not build on
# then fails to compile, as scripts/check-layers also tells.
function(layer_headers target)
  cmake_parse_arguments(L "INTERFACE" "" "" ${ARGN})
  get_filename_component(name "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
  set(view "${CMAKE_BINARY_DIR}/layers/${target}")
  file(MAKE_DIRECTORY "${view}")
  file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${view}/${name}" SYMBOLIC)
  if(L_INTERFACE)
    target_include_directories(${target} INTERFACE "${view}")
  else()
    target_include_directories(${target} PUBLIC "${view}")
  endif()
endfunction()
