#include "source/klplot/resource.h"

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

}  // namespace

void registerDialogs() {
  window::registerDialogTemplate(
      {kZCoordinateDialog, "Z coordinate ...", 260, 85, kZCoordinateControls});
}

}  // namespace kelm::resource
