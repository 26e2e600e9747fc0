#pragma once
// The display driver (klplotdemo): loads the project in the current directory, shows it and
// keeps its windows up to date until a command asks to leave.

namespace kelm::klplot {

void loadAndDisplay();

}  // namespace kelm::klplot
