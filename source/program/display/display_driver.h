#pragma once
// The display driver (klplotdemo): loads the project in the current directory, shows it and
// keeps its windows up to date until a command asks to leave.

#include <string>

namespace kelm::klplot {

void loadAndDisplay();

// How the last Build net, Solve or batch ended: shown in the status bar from the next load
// until the next command, and a failure brings the "Output" window up once the views are back.
// Program thread.
void noteCommandEnd(const std::string& status, bool failed);

}  // namespace kelm::klplot
