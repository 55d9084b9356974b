# Run by cpack once the files are staged, before the package is made: adds to the package's Depends
# the libraries that its programs and libPellund link, as dpkg-shlibdeps finds them. CPack's own
# CPACK_DEBIAN_PACKAGE_SHLIBDEPS would do the same, but it also calls ldconfig from the maintainer
# scripts for any library below usr/lib, which a private library such as libPellund never needs.
set(staged ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(GLOB binaries ${staged}/bin/* ${staged}/${CPACK_QUENZAR_PRIVATE_LIBDIR}/*.so.*)

# dpkg-shlibdeps reads the control file of a Debian source tree (an empty one will do) and finds
# the package's root by its DEBIAN folder.
file(WRITE ${CPACK_TEMPORARY_DIRECTORY}/debian/control "")
file(MAKE_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}/DEBIAN)
execute_process(COMMAND dpkg-shlibdeps -O ${binaries}
    WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}
    OUTPUT_VARIABLE substitution
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${CPACK_TEMPORARY_DIRECTORY}/debian ${CPACK_TEMPORARY_DIRECTORY}/DEBIAN)

string(REGEX REPLACE "^shlibs:Depends=" "" linked "${substitution}")
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${linked}")
