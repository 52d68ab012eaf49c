# The Debian package: `cpack -G DEB` in the build folder writes
# kelvra_<version>-<release>_<arch>.deb from the install rules, and
# kelvra-dbgsym_<version>-<release>_<arch>.ddeb with the debug symbols split
# off the programs. The shared libraries the programs link are found by
# dpkg-shlibdeps; what they only open at run time is named here: the fonts of
# the face table and Mesa's EGL and GL drivers (the batch renderer draws
# without a display).
#
# Two runs of cpack on one build give the same bytes: every time stamp in the
# package is SOURCE_DATE_EPOCH, which is the date of the newest entry of
# res/debian/changelog unless the environment sets it.
find_program(DPKG_PARSECHANGELOG dpkg-parsechangelog)
set(debianChangelog ${CMAKE_SOURCE_DIR}/res/debian/changelog)
set(KELVRA_PACKAGE_RELEASE 1)
if(DPKG_PARSECHANGELOG)
  execute_process(COMMAND ${DPKG_PARSECHANGELOG} -l ${debianChangelog} -SVersion
                  OUTPUT_VARIABLE changelogVersion OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  if(NOT changelogVersion STREQUAL "${PROJECT_VERSION}-${KELVRA_PACKAGE_RELEASE}")
    message(FATAL_ERROR "res/debian/changelog begins with version ${changelogVersion}; the package is "
                        "${PROJECT_VERSION}-${KELVRA_PACKAGE_RELEASE}: add an entry for it")
  endif()
  execute_process(COMMAND ${DPKG_PARSECHANGELOG} -l ${debianChangelog} -STimestamp
                  OUTPUT_VARIABLE CPACK_KELVRA_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
endif()
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/packageTimes.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvra)
set(CPACK_PACKAGE_VENDOR "Kelvra developers")
set(CPACK_PACKAGE_CONTACT "Kelvra developers <${KELVRA_CONTACT}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The programs are stripped by the debug symbols package, which keeps what it
# takes off; stripping them first would leave it nothing.
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
# CPack's -dbgsym package lists its files by their paths in the staging folder
# and has no documents: cmake/dbgsymPackage.cmake builds it again as Debian's.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/dbgsymPackage.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KELVRA_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-gothic, fonts-ipafont-mincho, fonts-liberation2, fonts-urw-base35, fonts-dejavu-core, libegl-mesa0, libgl1-mesa-dri")
# The long description (CPack puts the summary above it); its lines stay
# within 80 columns.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kelvra opens comma-separated data files (a grid, a list of points or a
list of vectors, in seven layouts) and shows them as colour contour fills,
contour lines, wireframes, points, bars, vector arrows or cross-sections,
inside a box of scales with a colour legend and a title. Menus, messages
and files are Japanese (Shift-JIS).

The package holds the desktop program kelvra (wxWidgets), the batch
renderer kelvra-render, which draws the same pictures without a display,
and the user manual in Japanese. File managers show Kelvra data files as
their own type, with a picture of the graph as thumbnail.")
include(CPack)

# ---- the package's own documents ----------------------------------------------------
# The licence in Debian's machine-readable form, and the Debian changelog,
# compressed without a name or time in it.
set(debianGen ${CMAKE_BINARY_DIR}/debian)
add_custom_command(OUTPUT ${debianGen}/changelog.Debian.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${debianGen}
  COMMAND gzip -9 -n -c ${debianChangelog} > ${debianGen}/changelog.Debian.gz
  DEPENDS ${debianChangelog})
add_custom_target(kelvra_debian_docs ALL DEPENDS ${debianGen}/changelog.Debian.gz)
install(FILES res/debian/copyright ${debianGen}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# What lintian is told it need not say, each with its reason.
install(FILES res/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kelvra)
