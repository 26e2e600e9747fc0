#pragma once
// Common dialogs, the help viewer, the text editor and the dialog library.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelm::window {

// The program's words for its project chooser: the caption, and the name of the one file a
// project is opened by, its filter beside "All files".
struct ProjectChooserWords {
  std::string_view title;
  std::string_view projectFile;
};

// A file chooser with the project file's and "All files" filters, an existing file required,
// and a Help button showing helpFile while the dialog stays open. fileName is the blank-padded
// file-name field: it proposes the last choice and receives the new one. keepCurrentDirectory
// leaves the process's current directory alone while browsing. Returns false on Cancel.
bool chooseProjectFile(std::span<char> fileName, bool keepCurrentDirectory, std::string_view helpFile,
                       const ProjectChooserWords& words);

// Shows the help file at its contents in the layer's help viewer.
void showHelpContents(std::string_view helpFile);

// Starts the user's text editor on path without waiting and without a shell: program, or the
// desktop's default opener when it is empty. False when none could be started.
bool startEditor(const std::string& program, const std::string& path);

// Dialog library: dialogs built from a template registered under a resource number and
// addressed by a handle. Positions and sizes are in dialog units (a quarter of the average
// character width across, an eighth of the character height down), widened where a text of
// the dialog would not fit its control in the font in use.
enum class ControlKind {
  staticText, rightAlignedText, edit, defaultButton, button, dropDownList, listBox, treeView,
};
// The share of a dialog's growth, when the user makes it larger, that a control moves by
// (x, y) and grows by (width, height); a dialog with no growing control keeps its size.
struct ControlGrowth {
  float x = 0, width = 0, y = 0, height = 0;
};
struct ControlTemplate {
  int id;  // -1 for controls the program never addresses
  ControlKind kind;
  const char* text;
  int x, y, width, height;
  ControlGrowth growth = {};
};
struct DialogTemplate {
  int resource;
  const char* caption;
  int width, height;
  std::span<const ControlTemplate> controls;  // must outlive the registration
};
void registerDialogTemplate(const DialogTemplate& dialog);

// What a running dialog tells the program's dialog procedure.
enum class DialogEvent {
  initialised,     // the controls exist, the dialog is not shown yet
  entryConfirmed,  // the user chose an entry of a drop-down list, also the one already shown
  itemExpanding,   // a tree item opens; treePath names it
};
struct DialogMessage {
  DialogEvent event;
  int control;                         // 0 for initialised
  std::vector<std::string> treePath;  // raw names from the top level down to the item
};
using DialogProcedure = void (*)(int dialog, const DialogMessage& message);
// Called when the bound push button is pressed, instead of ending the dialog.
using ControlCallback = void (*)(int dialog, int control);

int loadDialog(int resource);  // handle, or -1 for an unknown resource
int bindControl(int dialog, int control, ControlCallback callback);  // 1 on success
int setControlText(int dialog, int control, std::string_view text);  // 1 on success
int getControlText(int dialog, int control, std::span<char> text);   // blank-padded; 1 on success
// Identifier of the closing button (1 OK, 2 Cancel) or the one given to endDialog; -1 failure.
// An unbound push button ends the dialog with its identifier.
int runDialogModal(int dialog, DialogProcedure procedure = nullptr);
int endDialog(int dialog, int result);  // from a callback; 1 on success
int releaseDialog(int dialog);
// A warning box in front of the running dialog, which stays open.
void showDialogMessage(int dialog, std::string_view text);

}  // namespace kelm::window
