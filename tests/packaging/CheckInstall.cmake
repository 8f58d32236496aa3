# Installs the build tree into a scratch prefix and checks what lands there.
# -DBUILD_DIR -DWORK_DIR -DAPP_ID -DUDEV_RULES_DIR -DWITH_CLI (1 when varnex-edid is built)
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
# DESTDIR keeps an absolute udev directory inside the scratch area too.
set(root "${WORK_DIR}/root")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${root} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

if(IS_ABSOLUTE "${UDEV_RULES_DIR}")
  set(rules "${root}${UDEV_RULES_DIR}")
else()
  set(rules "${root}${prefix}/${UDEV_RULES_DIR}")
endif()
set(base "${root}${prefix}")
set(programs varnex-edid-utility)
if(WITH_CLI)
  list(APPEND programs varnex-edid)
endif()
set(expected
  "${base}/share/applications/${APP_ID}.desktop"
  "${base}/share/icons/hicolor/scalable/apps/${APP_ID}.svg"
  "${base}/share/metainfo/${APP_ID}.metainfo.xml"
  "${base}/share/doc/varnex-edid-utility/copyright"
  "${base}/share/doc/varnex-edid-utility/changelog.gz"
  "${rules}/70-varnex-edid-utility.rules")
# Every program comes with its manual page.
foreach(program IN LISTS programs)
  list(APPEND expected "${base}/bin/${program}" "${base}/share/man/man1/${program}.1.gz")
endforeach()

file(GLOB_RECURSE installed LIST_DIRECTORIES false "${root}/*")
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed files differ\n  expected: ${expected}\n  installed: ${installed}")
endif()

foreach(program IN LISTS programs)
  execute_process(COMMAND test -x "${base}/bin/${program}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${program} is not executable")
  endif()
endforeach()

function(require file pattern)
  file(READ "${file}" text)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "${file} lacks ${pattern}")
  endif()
endfunction()
require("${base}/share/applications/${APP_ID}.desktop" "\nExec=varnex-edid-utility %f\n")
# The window names itself by the application id; the desktop matches it to the entry by it.
require("${base}/share/applications/${APP_ID}.desktop" "\nStartupWMClass=varnex-edid-utility\n")
require("${base}/share/applications/${APP_ID}.desktop" "\nIcon=${APP_ID}\n")
require("${base}/share/icons/hicolor/scalable/apps/${APP_ID}.svg" "<svg ")
require("${base}/share/metainfo/${APP_ID}.metainfo.xml" "<id>${APP_ID}</id>")
require("${base}/share/metainfo/${APP_ID}.metainfo.xml"
        "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>")
require("${base}/share/metainfo/${APP_ID}.metainfo.xml" "<project_license>MIT</project_license>")
require("${base}/share/doc/varnex-edid-utility/copyright"
        "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")

# The seat's uaccess tag is applied by 73-seat-late.rules: the rule must come earlier
# and grant access through it, never through a wide-open mode.
set(rule "${rules}/70-varnex-edid-utility.rules")
require("${rule}" "SUBSYSTEM==\"usb\", ATTRS{idVendor}==\"10c4\", ATTRS{idProduct}==\"ea61\", TAG\\+=\"uaccess\"")
# The group line for headless use ships commented out, for the administrator to enable.
require("${rule}" "\n# SUBSYSTEM==\"usb\", [^\n]*GROUP=\"plugdev\", MODE=\"0660\"")
file(STRINGS "${rule}" active REGEX "^[^#]")
if(active MATCHES "MODE|GROUP|OWNER|RUN")
  message(FATAL_ERROR "${rule} sets a mode, owner or program")
endif()
get_filename_component(name "${rule}" NAME)
string(REGEX MATCH "^[0-9]+" number "${name}")
if(NOT number LESS 73)
  message(FATAL_ERROR "${name} sorts after 73-seat-late.rules")
endif()
message(STATUS "install into ${prefix}: ok")
