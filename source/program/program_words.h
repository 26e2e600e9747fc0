#pragma once
// The program's own words that the window layer shows or looks up on its behalf.

#include <cstdlib>
#include <string>

#include "window/dialogs.h"
#include "window/printing.h"

namespace kelm {

// Environment variables: a log of every "Output" record, and the user's text editor.
inline constexpr char kLogVariable[] = "KELM_LOG";
inline constexpr char kEditorVariable[] = "KELM_EDITOR";

inline constexpr window::ProjectChooserWords kProjectChooser{"Select KELM project", "geom.cod"};

// Every print job and PDF is named "KELM"; KELM_PRINT_TO may send a page past the dialog.
inline constexpr window::PrintWords kPrintWords{"KELM", "KELM_PRINT_TO"};

// The editor the user named, empty for the desktop's default.
inline std::string editorProgram() {
  const char* named = std::getenv(kEditorVariable);
  return named == nullptr ? std::string() : std::string(named);
}

}  // namespace kelm
