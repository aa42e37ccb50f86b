# The Debian package (`./dev package`, or `cpack -G DEB` in a build tree):
# one package, glyphos, with its dependencies worked out by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glyphos)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kalvo)
set(CPACK_PACKAGE_CONTACT "Kalvo <support@kalvo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bitmap-font editor and library for Kalvo receipt printers")
# CPack puts the summary first and indents the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Glyphos edits the bitmap fonts that Kalvo receipt and ticket printers carry
in their firmware upgrade files (PSW), keeps them in font files (.kfn) and
converts them to and from BDF and PSF fonts. glyphos-cli does the same work
without a window. The Ostrel library, with its headers and pkg-config
files, and the printer tools are for the maker's production and service
programs.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.kalvo.example/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Glyphos opens FreeType, fontconfig, libpng and zlib when it needs them
# rather than linking them, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libfreetype6, libfontconfig1, libpng16-16, zlib1g")
# Our own library is inside the package: dpkg-shlibdeps must find it there.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The paths written into the installed files come from CMAKE_INSTALL_PREFIX:
# make the package from a tree configured with /usr (`./dev package` does).
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# The system settings file is the administrator's to edit; the library
# needs ldconfig run after it is installed or removed.
configure_file(${PROJECT_SOURCE_DIR}/packaging/conffiles ${CMAKE_BINARY_DIR}/packaging/deb/conffiles COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/triggers ${CMAKE_BINARY_DIR}/packaging/deb/triggers COPYONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_BINARY_DIR}/packaging/deb/conffiles ${CMAKE_BINARY_DIR}/packaging/deb/triggers)
include(CPack)

# The package installed on this machine (packaging/install-test.sh): it
# changes the system, so it only runs when GLYPHOS_INSTALL_TEST=1 is set, as
# root; otherwise ctest reports it skipped.
add_test(NAME install-package COMMAND ${PROJECT_SOURCE_DIR}/packaging/install-test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(install-package PROPERTIES SKIP_RETURN_CODE 77 RUN_SERIAL ON TIMEOUT 600)

# The desktop entry as desktop environments read it.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  add_test(NAME desktop-entry-valid COMMAND ${DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/packaging/glyphos.desktop)
endif()
