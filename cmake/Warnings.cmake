# Warnings for our own targets: call vivivi_warnings(target). With
# VIVIVI_WERROR (the test script's builds) a warning fails the build.
function(vivivi_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  if(VIVIVI_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
