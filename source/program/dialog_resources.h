#pragma once
// The program's resource: identifiers of its two dialogs and their controls, and their templates.

namespace kelm::resource {

// The "Z coordinate ..." and "Select KELM projects" dialogs.
enum DialogIds : int { kZCoordinateDialog = 102, kProjectListDialog = 103 };

enum ZCoordinateControls : int { kZValueEdit = 1000, kDivisionsEdit = 1002 };

enum ProjectListControls : int {
  kProjectList = 1002, kAddButton = 1003, kRemoveButton = 1004, kDirectoryTree = 1005, kClearButton = 1006,
  kDriveBox = 1007, kPathEdit = 1008,
};

// 20 x 12 pictures of the directory tree.
enum BitmapIds : int { kProjectBitmap = 104, kFolderBitmap = 105 };

// The buttons that end either dialog.
enum ButtonIds : int { kOk = 1, kCancel = 2 };

// Hands the dialog templates and pictures to the window layer's dialog library; once, at
// start-up.
void registerDialogs();

}  // namespace kelm::resource
