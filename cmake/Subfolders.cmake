# Adds every direct subfolder of the calling folder that holds a CMakeLists.txt.
macro(kelm_add_subfolders)
  file(GLOB kelm_subfolders LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${kelm_subfolders})
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endmacro()
