#pragma once
// A whole run of kelm-export: each project loaded as kelm loads it, then the outputs the
// options ask for.

#include "source/export/export_options.h"

namespace kelm::exporting {

// The exit status: 0 when all is done, 1 when a project could not be read at all or an output
// could not be written. Each failure is reported on standard error as one line.
int runExport(const ExportOptions& options);

}  // namespace kelm::exporting
