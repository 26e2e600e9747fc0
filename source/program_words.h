#pragma once
// The program's own words that the window layer shows or looks up on its behalf.

#include <cstdlib>
#include <string>

#include "window/dialogs.h"

namespace kelm {

// Environment variables: a log of every "Output" record, and the user's text editor.
inline constexpr char kLogVariable[] = "KELM_LOG";
inline constexpr char kEditorVariable[] = "KELM_EDITOR";

inline constexpr window::ProjectChooserWords kProjectChooser{"Select KELM project", "geom.cod"};

// The editor the user named, empty for the desktop's default.
inline std::string editorProgram() {
  const char* named = std::getenv(kEditorVariable);
  return named == nullptr ? std::string() : std::string(named);
}

}  // namespace kelm
