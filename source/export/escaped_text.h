#pragma once

#include <string>
#include <string_view>

namespace kelm::exporting {

// Text as a CSV cell that every reader takes: bytes that are not UTF-8, control characters
// and , " # \ written as \xHH, and so is a leading = + - @ (no spreadsheet formula).
std::string escapedText(std::string_view text);

}  // namespace kelm::exporting
