// The menu operations of the program: applied to the model on the message thread, then the
// bar is drawn again.
#include "window/menus.h"

#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"

namespace kelm::window {

namespace {

template <class Operation>
int onMenuBar(Operation operation) {
  int result = 0;
  int error = 0;
  runOnGui([&] {
    if (layer().frame == nullptr) return;
    result = operation(layer().menus);
    error = layer().menus.lastError();
    if (result == 1) layer().frame->renderMenus();
  });
  if (error != 0) reportLayerError(error);
  return result;
}

}  // namespace

int appendMenuItem(int menu, int flags, std::string_view text, MenuCallback callback) {
  return onMenuBar([&](MenuBarModel& m) { return m.append(menu, flags, text, callback); });
}

int insertMenuItem(int menu, int item, int flags, std::string_view text, MenuCallback callback) {
  return onMenuBar([&](MenuBarModel& m) { return m.insert(menu, item, flags, text, callback); });
}

int deleteMenuItem(int menu, int item) {
  return onMenuBar([&](MenuBarModel& m) { return m.remove(menu, item); });
}

int setMenuItemFlags(int menu, int item, int flags) {
  return onMenuBar([&](MenuBarModel& m) { return m.setFlags(menu, item, flags); });
}

int setMenuItemText(int menu, int item, std::string_view text) {
  return onMenuBar([&](MenuBarModel& m) { return m.setText(menu, item, text); });
}

int setAboutText(std::string_view text) {
  if (text.size() > 512) return -1;
  const std::string copy(text);
  runOnGui([&] { layer().aboutText = copy; });
  return 0;
}

void setSaveRefusal(SaveRefusal refusal) {
  runOnGui([&] { layer().saveRefusal = refusal; });
}

// Their addresses bind items to built-in commands; the commands themselves run in the frame.
void builtinUsingHelp(std::int32_t*) {}
void builtinAbout(std::int32_t*) {}
void doNothing(std::int32_t*) {}

}  // namespace kelm::window
