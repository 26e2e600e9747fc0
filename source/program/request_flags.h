#pragma once
// Requests from the menu and mouse callbacks (message thread) to the program thread.
// A callback only stores 1; the program thread stores 0 after it has acted. A command stores
// its own request before leaveRequested, so the main loop finds it as soon as the driver returns.

#include <atomic>

namespace kelm {

// The three commands the main loop serves, in this order.
inline std::atomic<int> solveRequested{0};
inline std::atomic<int> buildNetRequested{0};
inline std::atomic<int> batchRequested{0};  // cleared by the batch run when it ends
// The display driver returns to the main loop at its next poll.
inline std::atomic<int> leaveRequested{0};
// Redraws within the display driver: the geometry view after a toggle, the plane's marker, the
// phase plane for a new plane.
inline std::atomic<int> beamRedrawRequested{0};
inline std::atomic<int> markerRedrawRequested{0};
inline std::atomic<int> phasePlaneRequested{0};
// Run > Stop and the exit question: the running command ends at its next step.
inline std::atomic<int> stopRequested{0};
inline std::atomic<int> commandRunning{0};  // 1 while the program thread serves a command
// The project's files changed: the next load keeps the plane and the view as they were.
inline std::atomic<int> reloadRequested{0};

// Toggles of the Window menu, read by the geometry view: 1 shown, 0 hidden.
inline std::atomic<int> beamShown{1};
inline std::atomic<int> potentialShown{1};

}  // namespace kelm
