#pragma once
// What the frame shows of a long command: a progress bar in the status bar, and the "Output"
// window brought up when the command failed. Any thread.

#include <string_view>

namespace kelm::window {

// A bar at step of most; most 0 makes it a busy bar without steps. label is its text.
void showStatusProgress(int step, int most, std::string_view label);
void hideStatusProgress();

// Restores the "Output" window, brings it to the front and scrolls its last line into view.
void bringOutputIntoSight();

}  // namespace kelm::window
