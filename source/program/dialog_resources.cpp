#include "source/program/dialog_resources.h"

#include "window/dialog_controls.h"
#include "window/dialogs.h"

namespace kelm::resource {
namespace {

using window::ControlKind;

constexpr window::ControlTemplate kZCoordinateControls[] = {
    {-1, ControlKind::staticText, "Z coordinate", 41, 22, 41, 8},
    {kZValueEdit, ControlKind::edit, "", 103, 18, 74, 14},
    {-1, ControlKind::staticText, "Current density divisons", 22, 44, 100, 11},
    {kDivisionsEdit, ControlKind::edit, "", 128, 41, 49, 14},
    {kOk, ControlKind::defaultButton, "OK", 203, 12, 50, 14},
    {kCancel, ControlKind::button, "Cancel", 203, 29, 50, 14},
};

constexpr window::ControlTemplate kProjectListControls[] = {
    {-1, ControlKind::rightAlignedText, "Drive", 13, 15, 33, 11},
    {kDriveBox, ControlKind::dropDownList, "", 51, 13, 54, 67},
    // Made larger, the dialog gives the tree and the list half the new width each.
    {kDirectoryTree, ControlKind::treeView, "", 14, 41, 113, 159, {.width = 0.5f, .height = 1}},
    {kAddButton, ControlKind::button, ">", 137, 100, 20, 20, {.x = 0.5f, .y = 0.5f}},
    {kRemoveButton, ControlKind::button, "<", 137, 148, 20, 21, {.x = 0.5f, .y = 0.5f}},
    {kProjectList, ControlKind::listBox, "", 166, 66, 172, 132, {.x = 0.5f, .width = 0.5f, .height = 1}},
    {kClearButton, ControlKind::button, "Clear", 185, 42, 51, 14, {.x = 0.5f}},
    {kOk, ControlKind::defaultButton, "OK", 273, 16, 50, 14, {.x = 1}},
    {kCancel, ControlKind::button, "Cancel", 273, 41, 50, 14, {.x = 1}},
    // A project typed in, added with ">" or OK; last, so that the keys reach the others as before.
    {-1, ControlKind::rightAlignedText, "Path", 108, 15, 24, 11},
    {kPathEdit, ControlKind::edit, "", 136, 13, 128, 14},
};

// White is transparent.
constexpr window::PaletteEntry kPalette[] = {
    {'.', 0xFFFFFF}, {'k', 0x000000}, {'y', 0x00FFFF}, {'o', 0x008080},
    {'r', 0x0000FF}, {'b', 0xFF0000},
};

constexpr const char* kFolderRows[] = {
    ".kkkkkk.............",
    "kyyyyyyk............",
    "kyyyyyyykkkkkkkkkkk.",
    "kyyyyyyyyyyyyyyyyyyk",
    "kyyyyyyyyyyyyyyyyyok",
    "kyyyyyyyyyyyyyyyyyok",
    "kyyyyyyyyyyyyyyyyyok",
    "kyyyyyyyyyyyyyyyyyok",
    "kyyyyyyyyyyyyyyyyyok",
    "kyyyyyyyyyyyyyyyyyok",
    "kooooooooooooooooook",
    "kkkkkkkkkkkkkkkkkkkk",
};

// The folder with a cathode (red) and its beam (blue) focused to the right.
constexpr const char* kProjectRows[] = {
    ".kkkkkk.............",
    "kyyyyyyk............",
    "kyyyyyyykkkkkkkkkkk.",
    "kyyyyyyyyyyyyyyyyyyk",
    "kyyrbbbyyyyyyyyyyyok",
    "kyyryyybbbyyyyyyyyok",
    "kyyryyyyyybbbbbbbbok",
    "kyyryyyyyybbbbbbbbok",
    "kyyryyybbbyyyyyyyyok",
    "kyyrbbbyyyyyyyyyyyok",
    "kooooooooooooooooook",
    "kkkkkkkkkkkkkkkkkkkk",
};

}  // namespace

void registerDialogs() {
  window::registerDialogTemplate(
      {kZCoordinateDialog, "Z coordinate ...", 260, 85, kZCoordinateControls});
  window::registerDialogTemplate(
      {kProjectListDialog, "Select KELM projects", 352, 213, kProjectListControls});
  window::registerBitmap({kFolderBitmap, 20, 12, kFolderRows, kPalette});
  window::registerBitmap({kProjectBitmap, 20, 12, kProjectRows, kPalette});
}

}  // namespace kelm::resource
