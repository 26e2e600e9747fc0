list(APPEND KELM_WINDOW_GRAPHICS_SOURCES
  graphics.cpp
  fonts.cpp
  vector_recorder.cpp
  offscreen.cpp
)
