list(APPEND KELM_DATA_SOURCES
  klplot/project_data.cpp
  klplot/load_status.cpp
  klplot/geometry_reader.cpp
  klplot/field_files.cpp
  klplot/result_reader.cpp
  klplot/extents.cpp
  klplot/project_loading.cpp
)
