list(APPEND KELM_SHELL_SOURCES
  batch_dialog.cpp
  batch_run.cpp
  beam_zoom.cpp
  commands.cpp
  main_program.cpp
  menu_bar.cpp
  print_commands.cpp
  project_selection.cpp
  project_tree.cpp
  startup_paths.cpp
  z_coordinate.cpp
  klplot/resource.cpp
  kelm/gun_project.cpp
  kelm/klmaindemo.cpp
)
