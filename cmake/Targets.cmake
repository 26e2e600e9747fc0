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

# kelm_gtest(NAME SOURCES ... [LINKS ...] [DEPENDS ...] [DEFINITIONS ...] [QT_MAIN] [OFFSCREEN]):
# a GoogleTest program whose cases CTest runs one by one. QT_MAIN gives it the tests' own main,
# which holds a QApplication; OFFSCREEN (implied by QT_MAIN) runs it on Qt's offscreen platform.
# DEPENDS names the programs it starts, so that they are built before it runs.
function(kelm_gtest name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QT_MAIN;OFFSCREEN" "" "SOURCES;LINKS;DEPENDS;DEFINITIONS")
  add_executable(${name} ${arg_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(arg_QT_MAIN)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/window/gui_test_main.cpp)
    target_link_libraries(${name} PRIVATE ${arg_LINKS} GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${arg_LINKS} GTest::gtest_main)
  endif()
  if(arg_DEPENDS)
    add_dependencies(${name} ${arg_DEPENDS})
  endif()
  target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
  kelm_warnings(${name})
  if(arg_QT_MAIN OR arg_OFFSCREEN)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
