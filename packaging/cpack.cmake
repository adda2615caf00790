# The Debian package trelmlink_<version>_<arch>.deb, built by CPack's DEB
# generator from the install rules of the whole tree (scripts/package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trelmlink)
# The one project version, read from korlink.h: the package, the library's
# soname and every program's --version agree.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Trelmlink maintainers <maintainers@trelmlink.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "retrieve, review and export air-quality sampler data")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The extended description, below the summary line; CPack indents it and
# turns the empty line into the paragraph mark.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Trelmlink pulls the memory of a TRELM air-quality sampler over a serial
cable or a dial-up modem, splits it into one file per sampling event, shows
each event, exports CSV files and prints reports, in a window or from the
command line.

The package also holds Korlink, the serial-communications library with a
plain C interface (libkorlink.so and korlink.h), the transfer tool
korlink-xfer and the sampler simulator trelm-sim.")
# Dependencies come from the programs' and the library's shared libraries;
# the library's own shlibs entry is generated too. CPack's maintainer
# scripts call ldconfig; the trigger is what Debian asks for, so both run.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
# Loaded at run time, so no shared-library scan finds them: the SVG plugin
# draws the window icon, Liberation stands in for the reports' faces; lrzsz
# gives trelm-sim its --sender choices.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "lrzsz")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
