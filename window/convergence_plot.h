#pragma once
// The convergence plot: the relative change of each iteration of the last solve, on a log
// scale, in a small window of its own beside the frame. Message thread.

#include <string_view>
#include <vector>

namespace kelm::window {

// One window at a time: a second call shows the new figures in it.
void showConvergencePlot(std::string_view title, const std::vector<double>& changes);

}  // namespace kelm::window
