#include "source/menu_bar.h"

#include "source/beam_zoom.h"
#include "source/commands.h"
#include "source/project_selection.h"
#include "window/menus.h"

namespace kelm {
namespace {

using window::kEnabled;
using window::kGrayed;
using window::kSeparator;

constexpr int kFileMenu = 1;
constexpr int kWindowMenu = 4;
constexpr int kRunMenu = 5;
constexpr int kHelpMenu = 6;

struct ItemPosition {
  int menu, item;
};

// File 4-7 and 9, Window 8-12, Run 1-5, in the order they are greyed and enabled.
constexpr ItemPosition kBusySet[] = {
    {kFileMenu, 4},   {kFileMenu, 5},   {kFileMenu, 6},   {kFileMenu, 7},   {kFileMenu, 9},
    {kWindowMenu, 8}, {kWindowMenu, 9}, {kWindowMenu, 10}, {kWindowMenu, 11}, {kWindowMenu, 12},
    {kRunMenu, 1},    {kRunMenu, 2},    {kRunMenu, 3},    {kRunMenu, 4},    {kRunMenu, 5},
};

void setBusySet(int flags) {
  for (const ItemPosition& p : kBusySet) window::setMenuItemFlags(p.menu, p.item, flags);
}

}  // namespace

// Positions shift as the default bar's View and Help menus go, so the order below matters.
void buildMenuBar() {
  window::appendMenuItem(kFileMenu, kEnabled, "Print Geometry", printGeometryCommand);
  window::appendMenuItem(kFileMenu, kEnabled, "Print Magnetic field", printFieldCommand);
  window::appendMenuItem(kFileMenu, kEnabled, "Print Phase plane", printPhasePlaneCommand);
  window::appendMenuItem(kFileMenu, kEnabled, "Print Current density on cathode", printCathodeCommand);
  // A separator still takes a callback, which it never calls.
  window::appendMenuItem(kFileMenu, kSeparator, "", helpContentsCommand);
  window::appendMenuItem(kFileMenu, kEnabled, "Load Kelm project...", loadProjectCommand);

  constexpr int kViewMenu = 3;
  window::deleteMenuItem(kViewMenu, 1);
  window::deleteMenuItem(kViewMenu, 1);
  window::deleteMenuItem(kViewMenu, 0);

  window::insertMenuItem(kWindowMenu, 7, kSeparator, "", helpContentsCommand);
  window::insertMenuItem(kWindowMenu, 8, kEnabled, "&Z-coordinate", zCoordinateCommand);
  window::insertMenuItem(kWindowMenu, 9, kSeparator, "", helpContentsCommand);
  window::insertMenuItem(kWindowMenu, 10, kEnabled, "Hide beam", beamToggleCommand);
  window::insertMenuItem(kWindowMenu, 11, kEnabled, "Hide potential", potentialToggleCommand);
  window::insertMenuItem(kWindowMenu, 12, kEnabled, "&Whole gun", wholeGunCommand);

  constexpr int kDefaultHelpMenu = 5;
  for (int i = 0; i < 3; ++i) window::deleteMenuItem(kDefaultHelpMenu, 1);
  window::deleteMenuItem(kDefaultHelpMenu, 0);

  window::appendMenuItem(kRunMenu, kEnabled, "&Run", window::doNothing);
  window::appendMenuItem(kRunMenu, kEnabled, "&Edit geometry", editGeometryCommand);
  window::appendMenuItem(kRunMenu, kEnabled, "&Edit klinput.dat", editInputCommand);
  window::appendMenuItem(kRunMenu, kEnabled, "&Build net", buildNetCommand);
  window::appendMenuItem(kRunMenu, kEnabled, "&Solve", solveCommand);
  window::appendMenuItem(kRunMenu, kEnabled, "&Batch mode", batchModeCommand);

  window::appendMenuItem(kHelpMenu, kEnabled, "&Help", window::doNothing);
  window::appendMenuItem(kHelpMenu, kEnabled, "&Contents", helpContentsCommand);
  window::appendMenuItem(kHelpMenu, kEnabled, "&Using Help", window::builtinUsingHelp);
  window::appendMenuItem(kHelpMenu, kEnabled, "&About", window::builtinAbout);
}

void greyBusyCommands() { setBusySet(kGrayed); }

void enableBusyCommands() { setBusySet(kEnabled); }

}  // namespace kelm
