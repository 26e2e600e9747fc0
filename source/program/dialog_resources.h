#pragma once
// The program's resource: identifiers of its two dialogs and their controls, and their templates.

namespace kelm::resource {

inline constexpr int kZCoordinateDialog = 102;
inline constexpr int kZValueEdit = 1000;
inline constexpr int kDivisionsEdit = 1002;

inline constexpr int kProjectListDialog = 103;
inline constexpr int kProjectList = 1002;
inline constexpr int kAddButton = 1003;
inline constexpr int kRemoveButton = 1004;
inline constexpr int kDirectoryTree = 1005;
inline constexpr int kClearButton = 1006;
inline constexpr int kDriveBox = 1007;

// 20 x 12 pictures of the directory tree.
inline constexpr int kProjectBitmap = 104;
inline constexpr int kFolderBitmap = 105;

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

// Hands the dialog templates and pictures to the window layer's dialog library; once, at
// start-up.
void registerDialogs();

}  // namespace kelm::resource
