list(APPEND KELM_VIEW_SOURCES
  klplot/view_windows.cpp
)
