# Run by `cmake --install` (and by CPack): fills in the manual pages for the
# prefix they are installed under, so the paths they name are the installed
# ones, compresses them and installs them. The install rule sets the
# KELVRA_MAN_* variables and the values the pages name before this runs.
if(IS_ABSOLUTE "${KELVRA_DOCDIR}")
  set(CMAKE_INSTALL_FULL_DOCDIR "${KELVRA_DOCDIR}")
else()
  set(CMAKE_INSTALL_FULL_DOCDIR "${CMAKE_INSTALL_PREFIX}/${KELVRA_DOCDIR}")
endif()
foreach(page ${KELVRA_MAN_PAGES})
  set(page_file "${KELVRA_MAN_BUILD}/${page}.1")
  configure_file("${KELVRA_MAN_SOURCE}/${page}.1.in" "${page_file}" @ONLY)
  execute_process(COMMAND gzip -9 -n -f "${page_file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${page_file}")
  endif()
  file(INSTALL "${page_file}.gz" DESTINATION "${CMAKE_INSTALL_PREFIX}/${KELVRA_MANDIR}/man1")
endforeach()
