# varnex_add_test(<name> SOURCES <files...> LIBS <targets...> LABEL unit|gui)
# One Qt Test executable per module; every test runs without an X server.
function(varnex_add_test name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_compile_definitions(${name} PRIVATE
    VARNEX_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    VARNEX_BUILD_DIR="${PROJECT_BINARY_DIR}")
  varnex_set_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    LABELS ${ARG_LABEL}
    TIMEOUT 300
    # Settings the window keeps (Recent Files) stay in the build tree.
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false;XDG_CONFIG_HOME=${PROJECT_BINARY_DIR}/test-config")
endfunction()
