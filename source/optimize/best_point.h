#pragma once
// OUTDIR/best: a copy of the best point's project, ready to open in KELM.

#include <string>

namespace kelm::optimize {

// Replaces OUTDIR/best with the point's files, made beside it first so that a run stopped
// half-way leaves the last best whole.
bool copyBest(const std::string& outdir, const std::string& point, std::string& error);

}  // namespace kelm::optimize
