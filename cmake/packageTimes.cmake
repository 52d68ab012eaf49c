# Read by cpack before it builds the package (CPACK_PROJECT_CONFIG_FILE): the
# time stamps of the package come from SOURCE_DATE_EPOCH, by default the date
# of the newest Debian changelog entry, so two runs give the same bytes.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND CPACK_KELVRA_SOURCE_DATE_EPOCH)
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_KELVRA_SOURCE_DATE_EPOCH}")
endif()
