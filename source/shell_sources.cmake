list(APPEND KELM_SHELL_SOURCES
  commands.cpp
  main_program.cpp
  menu_bar.cpp
  print_commands.cpp
  project_selection.cpp
  startup_paths.cpp
  z_coordinate.cpp
  klplot/resource.cpp
  kelm/klmaindemo.cpp
)
