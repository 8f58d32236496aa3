# Builds the Debian package from the build tree and checks its contents and fields.
# -DBUILD_DIR -DWORK_DIR -DAPP_ID -DCPACK_COMMAND -DWITH_CLI (1 when varnex-edid is built)
find_program(DPKG_DEB dpkg-deb)
if(NOT DPKG_DEB)
  message("SKIPPED: dpkg-deb not found")
  return()
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(
  COMMAND ${CPACK_COMMAND} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${output}")
endif()
file(GLOB packages "${WORK_DIR}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one .deb, found: ${packages}")
endif()

execute_process(COMMAND ${DPKG_DEB} -c ${packages} OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -c failed")
endif()
set(paths
  "./usr/bin/varnex-edid-utility"
  "./usr/share/man/man1/varnex-edid-utility.1.gz"
  "./usr/share/doc/varnex-edid-utility/copyright"
  "./usr/share/doc/varnex-edid-utility/changelog.gz"
  "./usr/share/applications/${APP_ID}.desktop"
  "./usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg"
  "./usr/share/metainfo/${APP_ID}.metainfo.xml"
  "./usr/lib/udev/rules.d/70-varnex-edid-utility.rules")
if(WITH_CLI)
  list(APPEND paths "./usr/bin/varnex-edid" "./usr/share/man/man1/varnex-edid.1.gz")
endif()
foreach(path IN LISTS paths)
  string(FIND "${listing}" " ${path}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${path} missing from the package:\n${listing}")
  endif()
endforeach()
if(listing MATCHES "tst_")
  message(FATAL_ERROR "the package carries test programs:\n${listing}")
endif()

function(field name pattern)
  execute_process(COMMAND ${DPKG_DEB} -f ${packages} ${name} OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT value MATCHES "${pattern}")
    message(FATAL_ERROR "${name}: '${value}' does not match ${pattern}")
  endif()
endfunction()
field(Package "^varnex-edid-utility$")
field(Section "^utils$")
field(Maintainer "^.+ <.+@.+>$")
field(Description "EDID")
# Computed from the binaries (libc6 among them), and the plugins Qt loads at run time.
foreach(dependency libc6 libqt6core6 libqt6gui6 libqt6widgets6 libusb-1.0-0
                   qt6-qpa-plugins libqt6svg6)
  field(Depends "(^|, )${dependency}( \\([^)]*\\))?(,|$)")
endforeach()
message(STATUS "${packages}: ok")
