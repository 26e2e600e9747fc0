#pragma once
// The program's entry routine, run once on the program thread by the window layer.

namespace kelm {

void mainProgram();

// Serves at most one long request (Solve, then Build net, then the batch) after the display
// driver returned.
void serveOneRequest();

}  // namespace kelm
