#pragma once
// The record layer's window port: window units become child windows. Internal to window/.

namespace kelm::window {

void registerUnitPort();
void unregisterUnitPort();

// Called when a unit's window goes away: a thread whose target it was falls back to "Output".
void forgetActiveWindow(int unit);

}  // namespace kelm::window
