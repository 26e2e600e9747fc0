#include "source/program/request_flags.h"

namespace kelm {

std::atomic<int> solveRequested{0};
std::atomic<int> buildNetRequested{0};
std::atomic<int> batchRequested{0};
std::atomic<int> leaveRequested{0};
std::atomic<int> beamRedrawRequested{0};
std::atomic<int> markerRedrawRequested{0};
std::atomic<int> phasePlaneRequested{0};
std::atomic<int> reloadRequested{0};
std::atomic<int> stopRequested{0};
std::atomic<int> commandRunning{0};
std::atomic<int> beamShown{1};
std::atomic<int> potentialShown{1};

}  // namespace kelm
