list(APPEND KELM_WINDOW_CORE_SOURCES
  gui_thread.cpp
  layer.cpp
  menu_model.cpp
  menus.cpp
  message_boxes.cpp
  child_window.cpp
  output_window.cpp
  frame_window.cpp
  builtin_commands.cpp
  frame_operations.cpp
  unit_port.cpp
  project_dialogs.cpp
  dialog_controls.cpp
  drives.cpp
  app.cpp
)
