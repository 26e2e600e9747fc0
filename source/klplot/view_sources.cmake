list(APPEND KELM_VIEW_SOURCES
  klplot/display_state.cpp
  klplot/plot_mapping.cpp
  klplot/nice_step.cpp
  klplot/tick_label_format.cpp
  klplot/tick_label.cpp
  klplot/beam_figures.cpp
  klplot/density_histogram.cpp
  klplot/font_spec.cpp
  klplot/view_layout.cpp
  klplot/z_marker.cpp
  klplot/screen_canvas.cpp
  klplot/view_windows.cpp
)
