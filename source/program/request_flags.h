#pragma once
// Requests from the menu and mouse callbacks (message thread) to the program thread.
// A callback only stores 1; the program thread stores 0 after it has acted. A command stores
// its own request before leaveRequested, so the main loop finds it as soon as the driver returns.

#include <atomic>

namespace kelm {

extern std::atomic<int> solveRequested;
extern std::atomic<int> buildNetRequested;
extern std::atomic<int> batchRequested;
extern std::atomic<int> leaveRequested;
extern std::atomic<int> beamRedrawRequested;
extern std::atomic<int> markerRedrawRequested;
extern std::atomic<int> phasePlaneRequested;
// Run > Stop and the exit question: the running command ends at its next step. commandRunning is
// 1 while the program thread serves Build net, Solve or a batch.
extern std::atomic<int> stopRequested;
extern std::atomic<int> commandRunning;
// The project's files changed: the next load keeps the plane and the view as they were.
extern std::atomic<int> reloadRequested;

// Toggles of the Window menu, read by the geometry view: 1 shown, 0 hidden.
extern std::atomic<int> beamShown;
extern std::atomic<int> potentialShown;

}  // namespace kelm
