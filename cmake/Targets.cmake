# KELM's targets, each declared in one call:
#   kelm_library(NAME SOURCES ... [LINKS ...] [PRIVATE_LINKS ...] [VERSIONED])
#   kelm_executable(NAME SOURCES ... [LINKS ...] [PRIVATE_LINKS ...] [VERSIONED] [EXAMPLES])
# TREE_SOURCES names sources of another folder from the tree's root. Every target includes
# from the root and gets kelm_warnings; a library passes the root and LINKS on to whatever
# links it. VERSIONED defines KELM_VERSION for targets that print it, EXAMPLES
# KELM_EXAMPLES_DIR for those that run the example projects.
function(kelm_library name)
  add_library(${name} STATIC)
  kelm_target_settings(${name} PUBLIC ${ARGN})
endfunction()

function(kelm_executable name)
  add_executable(${name})
  kelm_target_settings(${name} PRIVATE ${ARGN})
endfunction()

# scope: how the root and LINKS pass on.
function(kelm_target_settings name scope)
  cmake_parse_arguments(PARSE_ARGV 2 arg "VERSIONED;EXAMPLES" "" "SOURCES;TREE_SOURCES;LINKS;PRIVATE_LINKS")
  list(TRANSFORM arg_TREE_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)
  target_sources(${name} PRIVATE ${arg_SOURCES} ${arg_TREE_SOURCES})
  target_include_directories(${name} ${scope} ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} ${scope} ${arg_LINKS} PRIVATE ${arg_PRIVATE_LINKS})
  if(arg_VERSIONED)
    target_compile_definitions(${name} PRIVATE KELM_VERSION="${PROJECT_VERSION}")
  endif()
  if(arg_EXAMPLES)
    target_compile_definitions(${name} PRIVATE KELM_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
  endif()
  kelm_warnings(${name})
endfunction()
