# Warnings for our own targets: call vivivi_warnings(target).
function(vivivi_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()
