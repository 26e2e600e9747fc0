#include "window/layer.h"

namespace kelm::window {

Layer& layer() {
  static Layer state;
  return state;
}

UnitWindow findUnitWindow(int unit) {
  Layer& l = layer();
  std::lock_guard guard(l.lock);
  auto found = l.windows.find(unit);
  return found == l.windows.end() ? UnitWindow{} : found->second;
}

}  // namespace kelm::window
