# `make package`: a Debian package of what cmake/Install.cmake installs, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gear-monitor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Landing Gear Controller Monitor developers")
set(CPACK_PACKAGE_CONTACT ${GEAR_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live panel of a light aircraft's landing-gear controller")
# Lines of at most 80 characters, as Debian asks of a package description.
set(CPACK_PACKAGE_DESCRIPTION [=[
The landing-gear controller of a light aircraft, a small PLC, reports its
inputs, outputs, configuration relays, firmware version and gear cycle count
as short text lines on a serial port. gear-monitor shows them live as a panel
of coloured indicators laid out like the aircraft's systems, and shows
COMM FAIL as soon as the controller falls silent. It never sends anything to
the controller. With --mirror it also shows the panel, read-only, to a
browser on the local network, behind an access key.

gear-log prints a recording of a session as a timeline, times each gear swing
and draws the session as a logic-analyser picture (SVG or PNG).

gear-sim plays the controller on a pseudo-terminal or a serial device, for
bench tests and demonstrations.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${GEAR_PROJECT_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's captions are laid out for Arial's metrics, which Liberation Sans shares.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
include(CPack)
