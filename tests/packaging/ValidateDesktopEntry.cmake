# Validates the desktop entry, when desktop-file-validate is available; hints count too.
# -DDESKTOP
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(NOT DESKTOP_FILE_VALIDATE)
  message("SKIPPED: desktop-file-validate not found")
  return()
endif()
execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${DESKTOP}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate ${DESKTOP}:\n${output}")
endif()
message(STATUS "${DESKTOP}: valid")
