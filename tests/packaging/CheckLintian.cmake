# Runs Debian's checker on the package that packaging_deb built: any error or
# warning fails. Informational tags are printed but pass; the deliberate ones:
#   spelling-error-in-binary retrive retrieve: the device link's message
#     "Unable to retrive product string!" is kept word for word.
# -DWORK_DIR (the folder that holds the .deb)
find_program(LINTIAN lintian)
if(NOT LINTIAN)
  message("SKIPPED: lintian not found")
  return()
endif()
file(GLOB packages "${WORK_DIR}/*.deb")
if(NOT packages)
  message("SKIPPED: packaging_deb built no package")
  return()
endif()

# --no-cfg: a developer's lintianrc must not change the verdict.
execute_process(
  COMMAND ${LINTIAN} --no-cfg --profile debian --display-info --tag-display-limit 0
    --fail-on error,warning ${packages}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")
string(REGEX MATCHALL "(^|\n)[EW]: [^\n]*" findings "${output}")
if(findings OR NOT result EQUAL 0)
  message(FATAL_ERROR "lintian reports errors or warnings (exit status ${result})")
endif()
message(STATUS "${packages}: lintian clean")
