#pragma once
// The batch: the project directories chosen in the "Select KELM projects" dialog, run one
// after another by the main loop on the program thread.

#include <cstdint>
#include <string>

#include "runtime/fixed_array.h"
#include "source/program/gun/gun_commands.h"

namespace kelm {

inline constexpr int kMaxBatchProjects = 100;

// Whole absolute paths. Written by the dialog's OK on the message thread while the display
// driver idles, read by the batch run after the driver has returned; kept between batches.
extern Array1<std::string, kMaxBatchProjects> projectList;
extern std::int32_t projectCount;

// For each project in turn: its directory made current, "Loading project from " and the
// "KELM: " caption, then the Build net and Solve messages. A directory that cannot be entered
// gets one line and counts as failed; Stop ends the batch before its next project. Clears
// batchRequested at the end, after "3 projects: 2 solved, 1 failed" in Output.
CommandResult runBatch();

}  // namespace kelm
