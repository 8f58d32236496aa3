# The hardening that Debian's build flags (dpkg-buildflags) give its own packages,
# for the installed programs and every library of this project they link, in
# optimised builds only: _FORTIFY_SOURCE works only with optimisation, and
# sanitizer builds find memory faults better without it. A packager's own
# _FORTIFY_SOURCE in CMAKE_CXX_FLAGS is left as it is.
option(VARNEX_HARDENING "Build the installed programs with hardening flags in optimised builds" ON)

set(varnex_optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
set(varnex_fortify ON)
if(CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE|-fsanitize")
  set(varnex_fortify OFF)
endif()

# varnex_harden(<target>): hardens the target and, through its link libraries,
# each of this project's libraries it is built from, once each.
function(varnex_harden target)
  if(NOT VARNEX_HARDENING)
    return()
  endif()
  get_target_property(aliased ${target} ALIASED_TARGET)
  if(aliased)
    set(target ${aliased})
  endif()
  get_target_property(imported ${target} IMPORTED)
  get_target_property(done ${target} VARNEX_HARDENED)
  get_target_property(type ${target} TYPE)
  if(imported OR done OR type STREQUAL "INTERFACE_LIBRARY")
    return()
  endif()
  set_target_properties(${target} PROPERTIES VARNEX_HARDENED ON)

  target_compile_options(${target} PRIVATE $<${varnex_optimised}:-fstack-protector-strong>)
  if(varnex_fortify)
    target_compile_definitions(${target} PRIVATE $<${varnex_optimised}:_FORTIFY_SOURCE=2>)
  endif()
  if(type STREQUAL "EXECUTABLE")
    # Relocations resolved at start and then made read-only.
    target_link_options(${target} PRIVATE $<${varnex_optimised}:LINKER:-z,relro,-z,now>)
  endif()

  get_target_property(libraries ${target} LINK_LIBRARIES)
  foreach(library IN LISTS libraries)
    if(TARGET ${library})
      varnex_harden(${library})
    endif()
  endforeach()
endfunction()
