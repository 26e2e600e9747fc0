# Applied to every target of the project through kelm_warnings().
function(kelm_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KELM_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
