#pragma once
// Drop-down lists, list boxes and trees of the dialog library, and the small pictures their
// entries carry. Texts are raw bytes as the file system gives them; what is shown is their
// decoded form. Entries and tree items stay sorted, letters compared without regard to case.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelm::window {

// A picture drawn one character per pixel, each looked up in the palette (colours 24-bit RGB,
// red in the low byte). White pixels are transparent.
struct PaletteEntry {
  char key;
  std::int32_t rgb;
};
struct BitmapTemplate {
  int resource;
  int width, height;
  std::span<const char* const> rows;
  std::span<const PaletteEntry> palette;  // both spans must outlive the registration
};
void registerBitmap(const BitmapTemplate& bitmap);

// Drop-down lists and list boxes. Each returns 1 on success, 0 for no such control.
int addListEntry(int dialog, int control, std::string_view text);  // equal texts are kept apart
int listEntryCount(int dialog, int control);                       // -1 for no such control
std::string listEntry(int dialog, int control, int index);         // from 0; empty outside
// Drop-down lists only.
int selectListEntry(int dialog, int control, std::string_view text);
std::string selectedListEntry(int dialog, int control);  // empty when none is selected
// List boxes only.
int deleteSelectedListEntry(int dialog, int control);
int clearList(int dialog, int control);

// Trees. An item is named by its path: the raw names from the top level down.
struct TreeEntry {
  std::string name;
  int image = 0;  // index into the tree's images
  std::vector<TreeEntry> children;
};
// The images of bitmaps, in that order, for the items of the tree; with fewer than all of
// them loadable the tree shows none. Returns how many loaded.
int setTreeImages(int dialog, int control, std::span<const int> bitmaps);
// Merges entries under the item at parent (empty: the top level): a name already there keeps
// its item, and its own children are merged in the same way, so nothing is listed twice.
// 0 when there is no such item.
int addTreeEntries(int dialog, int control, std::span<const std::string> parent,
                   std::span<const TreeEntry> entries);
std::vector<std::string> selectedTreePath(int dialog, int control);  // empty when none
int clearTree(int dialog, int control);

}  // namespace kelm::window
