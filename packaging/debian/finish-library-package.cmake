# Run by CPack once it has built the packages (CPACK_POST_BUILD_SCRIPTS):
# the library's packages as Debian has a library's.
#
# - The runtime library's dependencies are computed for each file by what it
#   is: the library depends on what it links against, and the about box
#   plugin, which the library loads only when a host asks for the box and
#   does without when it is missing, recommends what it links (Qt) -- so
#   that a host programmer's library does not pull in a GUI toolkit. CPack
#   computes one list for the whole package.
# - The dynamic linker's cache is refreshed by the ldconfig trigger alone:
#   CPack adds maintainer scripts that call ldconfig, which Debian's packages
#   no longer carry.
# - The symbols file (debian/libdovrel60-6.symbols, which CPack put in) must
#   list exactly what the library exports: dpkg-gensymbols compares them and
#   the packaging stops on any difference. A new export is a new line there,
#   with the version that first has it.
# - Both the library and its development files are Multi-Arch: same, so
#   that the packages of two architectures install side by side (CPack of
#   this CMake writes no Multi-Arch field).
# The control file of an unpacked package with Multi-Arch: same after its
# Architecture.
function(make_multiarch_same root)
  file(STRINGS ${root}/DEBIAN/control control)
  set(fields "")
  foreach(line IN LISTS control)
    if(NOT line MATCHES "^Multi-Arch:")
      string(APPEND fields "${line}\n")
    endif()
    if(line MATCHES "^Architecture:")
      string(APPEND fields "Multi-Arch: same\n")
    endif()
  endforeach()
  file(WRITE ${root}/DEBIAN/control "${fields}")
endfunction()

foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(deb MATCHES "/libdovrel60-dev_[^/]*\\.deb$")
    set(root ${CPACK_TOPLEVEL_DIRECTORY}/finish-libdovrel60-dev)
    file(REMOVE_RECURSE ${root})
    execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${root} COMMAND_ERROR_IS_FATAL ANY)
    make_multiarch_same(${root})
    execute_process(COMMAND dpkg-deb --root-owner-group --build ${root} ${deb} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    continue()
  endif()
  if(NOT deb MATCHES "/libdovrel60-6_[^/]*\\.deb$")
    continue()
  endif()
  set(work ${CPACK_TOPLEVEL_DIRECTORY}/finish-libdovrel60-6)
  set(root ${work}/root)
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work}/debian)
  execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${root} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${root}/DEBIAN/postinst ${root}/DEBIAN/postrm)

  file(GLOB library ${root}/usr/lib/*/libdovrel60.so.6.*)
  file(GLOB plugin ${root}/usr/lib/*/dovrel60/libdovrel60-about.so)
  if(NOT library OR NOT plugin)
    message(FATAL_ERROR "libdovrel60-6: the library or its plugin is missing from ${deb}")
  endif()
  # dpkg-shlibdeps reads the package's name from a control file of a source
  # package.
  file(WRITE ${work}/debian/control "Source: pellora-dovrel60\n\nPackage: libdovrel60-6\nArchitecture: any\n")
  execute_process(COMMAND dpkg-shlibdeps -O -e${library} -dRecommends -e${plugin}
                  WORKING_DIRECTORY ${work} OUTPUT_VARIABLE substitutions COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCH "shlibs:Depends=([^\n]*)" found "${substitutions}")
  set(depends ${CMAKE_MATCH_1})
  string(REGEX MATCH "shlibs:Recommends=([^\n]*)" found "${substitutions}")
  set(recommends ${CMAKE_MATCH_1})
  if(NOT depends)
    message(FATAL_ERROR "libdovrel60-6: dpkg-shlibdeps gave no dependencies: ${substitutions}")
  endif()
  execute_process(COMMAND dpkg-gensymbols -plibdovrel60-6 -v${CPACK_PACKAGE_VERSION} -e${library}
                          -I${root}/DEBIAN/symbols -O${work}/symbols -c4
                  WORKING_DIRECTORY ${work} RESULT_VARIABLE status OUTPUT_VARIABLE differences ERROR_VARIABLE differences)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "libdovrel60-6: the library's exports and packaging/debian/libdovrel60-6.symbols differ:\n"
                        "${differences}")
  endif()

  file(STRINGS ${root}/DEBIAN/control control)
  set(fields "")
  foreach(line IN LISTS control)
    if(line MATCHES "^Depends:")
      string(APPEND fields "Depends: ${depends}\n")
      if(recommends)
        string(APPEND fields "Recommends: ${recommends}\n")
      endif()
    elseif(NOT line MATCHES "^Recommends:")
      string(APPEND fields "${line}\n")
    endif()
  endforeach()
  file(WRITE ${root}/DEBIAN/control "${fields}")
  make_multiarch_same(${root})
  execute_process(COMMAND dpkg-deb --root-owner-group --build ${root} ${deb} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  message(STATUS "libdovrel60-6: Depends: ${depends}; Recommends: ${recommends}")
endforeach()
