list(APPEND KELM_VIEW_SOURCES
  klplot/display_state.cpp
  klplot/plot_mapping.cpp
  klplot/nice_step.cpp
  klplot/tick_label_format.cpp
  klplot/tick_label.cpp
  klplot/beam_figures.cpp
  klplot/crossing_sweep.cpp
  klplot/density_histogram.cpp
  klplot/staircase.cpp
  klplot/view_font.cpp
  klplot/view_layout.cpp
  klplot/axial_frame.cpp
  klplot/axial_zoom.cpp
  klplot/pointer_readout.cpp
  klplot/z_marker.cpp
  klplot/panel_scale.cpp
  klplot/panel_axes.cpp
  klplot/cathode_view.cpp
  klplot/section_drawing.cpp
  klplot/zoomed_beam.cpp
  klplot/geometry_view.cpp
  klplot/z_grid.cpp
  klplot/field_view.cpp
  klplot/phase_plane_view.cpp
  klplot/page_drawing.cpp
  klplot/page_square.cpp
  klplot/printed_project.cpp
  klplot/printed_geometry_page.cpp
  klplot/printed_field_page.cpp
  klplot/printed_figures.cpp
  klplot/printed_phase_plane_page.cpp
)

# The views on the screen: the display driver, the canvas on the window layer and the windows.
list(APPEND KELM_SCREEN_SOURCES
  klplot/klplotdemo.cpp
  klplot/load_status.cpp
  klplot/screen_canvas.cpp
  klplot/view_windows.cpp
)
