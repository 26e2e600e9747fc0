#pragma once
// Identifiers of the program's two dialogs and their controls.

namespace kelm::resource {

inline constexpr int kZCoordinateDialog = 102;
inline constexpr int kZValueEdit = 1000;
inline constexpr int kDivisionsEdit = 1002;

inline constexpr int kProjectListDialog = 103;

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

// Hands the dialog templates to the window layer's dialog library; once, at start-up.
void registerDialogs();

}  // namespace kelm::resource
