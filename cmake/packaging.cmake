# The Debian package: `cpack -G DEB` in the build folder writes
# kelvra_<version>-<release>_<arch>.deb from the install rules. The shared
# libraries the programs link are found by dpkg-shlibdeps; what they only
# open at run time is named here: the fonts of the face table and Mesa's
# EGL and GL drivers (the batch renderer draws without a display).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvra)
set(CPACK_PACKAGE_VENDOR "Kelvra developers")
set(CPACK_PACKAGE_CONTACT "Kelvra developers <${KELVRA_CONTACT}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-gothic, fonts-ipafont-mincho, fonts-liberation2, fonts-urw-base35, fonts-dejavu-core, libegl-mesa0, libgl1-mesa-dri")
# The summary above is the first line of the package's description.
set(CPACK_PACKAGE_DESCRIPTION "Kelvra opens comma-separated data files (a grid, a list of points or a list \
of vectors, in seven layouts) and shows them as colour contour fills, contour lines, wireframes, \
points, bars, vector arrows or cross-sections, inside a box of scales with a colour legend and a \
title. Menus, messages and files are Japanese (Shift-JIS).

The package holds the desktop program kelvra (wxWidgets) and the batch renderer kelvra-render, \
which draws the same pictures without a display.")
include(CPack)
