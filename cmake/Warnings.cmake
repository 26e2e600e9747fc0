# Warnings for every KELM target; errors with KELM_WERROR (on in CI).
function(kelm_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
                                           -Wold-style-cast)
  # GCC 12 warns about overlapping copies inside std::string once it inlines at -O2 and up
  # (GCC bug 105329); there is no overlap in our code to find.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(KELM_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
