# Debian package of the installed layout: `cpack -G DEB` in the build
# directory (or `make package` at the top).
set(CPACK_PACKAGE_NAME quarrydex)
set(CPACK_PACKAGE_VENDOR "Quarrydex")
set(CPACK_PACKAGE_CONTACT "Quarrydex maintainers <quarrydex@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "terminal browser and editor for record-manager database files")
set(CPACK_PACKAGE_DESCRIPTION
    "A full-screen, keyboard-driven terminal tool for browsing and editing the data files of a record-manager database, with its own embedded engine and the qdxutil command-line utility.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")

# The run-time libraries come from the binaries themselves when
# dpkg-shlibdeps is there (exact package names and versions of this
# distribution); otherwise from the names of current Debian releases.
find_program(QDX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QDX_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6, libstdc++6, libgcc-s1, libncursesw6, libtinfo6, libsqlite3-0, libssl3")
endif()

include(CPack)
