# Run by CPack on the staged files, before it makes the package: Depends gets the packages
# whose libraries the program and the decoder library load, as dpkg-shlibdeps finds them.
# CPack's own shlibdeps option would also add postinst and postrm scripts that run ldconfig,
# since a library lies under /usr/lib, although nothing links against that private library;
# and a package with a postrm stays registered after apt-get remove until it is purged.
find_program(LUMO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT LUMO_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps (package dpkg-dev) is needed to make the Debian package")
endif()

set(root "${CPACK_TEMPORARY_DIRECTORY}")
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${root}/*")
set(elf_files)
foreach(f IN LISTS staged)
    file(READ "${f}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46" AND NOT IS_SYMLINK "${f}")
        list(APPEND elf_files "${f}")
    endif()
endforeach()
if(NOT elf_files)
    message(FATAL_ERROR "no program among the staged files in ${root}")
endif()

# dpkg-shlibdeps insists on a debian/control in its working folder; an empty one will do.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(WRITE "${work}/debian/control" "")
execute_process(COMMAND ${LUMO_DPKG_SHLIBDEPS} -O ${elf_files} WORKING_DIRECTORY "${work}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(REMOVE_RECURSE "${work}")
if(NOT rc EQUAL 0 OR NOT out MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps failed (${rc}):\n${out}${err}")
endif()
set(libraries "${CMAKE_MATCH_1}")
# It looks for the package's own libraries in debian/<package>/; the program links none.
string(REGEX REPLACE "[^\n]*should already be installed in their package's directory\n?" "" err "${err}")
if(err)
    message(STATUS "dpkg-shlibdeps: ${err}")
endif()
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS ${CPACK_DEBIAN_PACKAGE_DEPENDS} "${libraries}")
