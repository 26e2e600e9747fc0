#pragma once
// Outcome of every record-layer statement: 0 success, -1 end of file, positive: an error number.

#include <string_view>

namespace kelm::records {

inline constexpr int kOk = 0;
inline constexpr int kEndOfFile = -1;

// The text of a run-time error number (one table for the whole layer).
std::string_view errorText(int status);

// For statements without an error branch: a non-zero status ends the program with the
// run-time error box of the window port. Returns only when status is 0.
void requireSuccess(int status);

}  // namespace kelm::records
