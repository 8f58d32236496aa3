# Warnings are set per target, never directory-wide.
function(varnex_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
