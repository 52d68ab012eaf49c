# Run by cpack after it has written the packages (CPACK_POST_BUILD_SCRIPTS):
# builds the -dbgsym package again from its own files, as Debian's are. CPack
# lists its files in md5sums by their paths in its staging folder and gives
# it no documents; here the md5sums name the packaged paths, the documents
# folder is a link to the main package's (which the package depends on), and
# every time stamp is SOURCE_DATE_EPOCH, so two runs give the same bytes.
foreach(package ${CPACK_PACKAGE_FILES})
  if(NOT package MATCHES "-dbgsym_.*\\.ddeb$")
    continue()
  endif()
  set(tree "${package}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  file(MAKE_DIRECTORY "${tree}/usr/share/doc")
  file(CREATE_LINK kelvra "${tree}/usr/share/doc/kelvra-dbgsym" SYMBOLIC)
  file(GLOB_RECURSE debugFiles LIST_DIRECTORIES false RELATIVE "${tree}" "${tree}/usr/*")
  list(SORT debugFiles)
  set(sums "")
  foreach(path ${debugFiles})
    if(IS_SYMLINK "${tree}/${path}")
      continue()
    endif()
    file(MD5 "${tree}/${path}" sum)
    string(APPEND sums "${sum}  ${path}\n")
  endforeach()
  file(WRITE "${tree}/DEBIAN/md5sums" "${sums}")
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND find "${tree}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${package}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
