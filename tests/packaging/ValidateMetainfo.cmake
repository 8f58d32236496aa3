# Validates the AppStream metainfo offline, when appstreamcli is available.
# -DMETAINFO
find_program(APPSTREAMCLI appstreamcli)
if(NOT APPSTREAMCLI)
  message("SKIPPED: appstreamcli not found")
  return()
endif()
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${METAINFO}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate failed:\n${output}")
endif()
message(STATUS "${METAINFO}: valid")
