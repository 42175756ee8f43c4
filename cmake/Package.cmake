# The Debian package, made by CPack from an install to /usr (scripts/package).
# Dependencies are computed from the binaries by dpkg-shlibdeps; what the
# programs load by name at run time, or need to look right, is declared here.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "mx840")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "MX840 Interface Software developers")
set(CPACK_PACKAGE_CONTACT "MX840 Interface Software developers <mx840@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interface program of the MX840 tachometer and counter")
# The extended description; CPack puts the summary above it and the blanks
# and dots Debian wants before its lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "The MX840 streams the image of its display through a USB HID cable. This
program finds the cable, shows the reading on a virtual LCD and an analog
dial, records readings into a table and a paged trend chart, saves and opens
table files, and prints or exports reports (PDF, HTML, text, CSV).

mx840-log records without a window and prints each reading as
tab-separated text, CSV or JSON lines.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libudev and libcups (printing on queues) are opened by name at run time;
# the platform and image plugins come with libqt6gui6; the windows and
# reports are drawn in Arial's metrics
# (Liberation Sans), menus and dialogs in the desktop's sans-serif, which
# fontconfig takes from DejaVu first.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libudev1, libcups2, fonts-liberation, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/StripPrograms.cmake")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/..")
include(CPack)
