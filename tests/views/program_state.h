#pragma once
// The program's globals as they are at start-up, for a test to begin from: the store, the
// display state and the requests between the threads. One reset for every fixture, so that no
// test finds what an earlier one left in a global it did not think of.

#include <atomic>
#include <initializer_list>
#include <memory>

#include "source/klplot/project/project_data.h"
#include "source/klplot/views/display_state.h"
#include "source/program/request_flags.h"

namespace kelm::testing {

inline void resetProgramState() {
  klplot::clearStore(klplot::projectData);
  std::destroy_at(&klplot::displayState);
  std::construct_at(&klplot::displayState);
  for (std::atomic<int>* request : {&solveRequested, &buildNetRequested, &batchRequested, &leaveRequested,
                                    &beamRedrawRequested, &markerRedrawRequested, &phasePlaneRequested, &stopRequested,
                                    &commandRunning})
    request->store(0);
  beamShown.store(1);
  potentialShown.store(1);
}

}  // namespace kelm::testing
