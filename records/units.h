#pragma once
// Numbered units: open and close of disk files and window units.

#include <climits>
#include <string_view>

namespace kelm::records {

// The default output unit: a designator of its own, outside the range of unit numbers.
inline constexpr int kDefaultUnit = INT_MIN;
inline constexpr int kMinUnit = -32767;
inline constexpr int kMaxUnit = 32767;

// Keyword values are compared without regard to case; an empty view means "not given".
struct OpenOptions {
  std::string_view file = {};      // "USER" (any case) makes a window unit
  std::string_view status = {};    // OLD, NEW, SCRATCH, REPLACE, UNKNOWN
  std::string_view form = {};      // FORMATTED, UNFORMATTED, BINARY
  std::string_view action = {};    // READ, WRITE, READWRITE; not given: read-write, then read, then write
  std::string_view title = {};     // caption of a window unit
  std::string_view access = {};    // SEQUENTIAL, DIRECT, APPEND
  std::string_view blank = {};     // NULL, ZERO
  std::string_view position = {};  // ASIS, REWIND, APPEND
  std::string_view delim = {};     // NONE, APOSTROPHE, QUOTE
  std::string_view pad = {};       // YES, NO
  std::string_view share = {};     // DENYNONE, COMPAT, DENYRD, DENYWR, DENYRW
  int recordLength = -1;      // -1: not given
  int blockSize = -1;         // -1: not given
};

// 0 on success, else a positive error number; after a failure the unit is not open.
[[nodiscard]] int openUnit(int unit, const OpenOptions& options);

// status: empty or KEEP keeps the file, DELETE removes it. Closing a window unit removes its window.
int closeUnit(int unit, std::string_view status = {});

// Whether a unit is open (unit 0 and the default unit always are).
bool isUnitOpen(int unit);

// Where reading a disk unit has got to, so that a reader can say where a file went wrong: the
// records begun so far (one that could not be read whole counts), and for the last statement
// that failed the 1-based column of the formatted field it failed in, or how many of the bytes
// its unformatted items asked for the record lacked; 0 when that does not apply.
struct ReadPosition {
  long record = 0;
  long column = 0;
  long bytesShort = 0;
};
// All 0 for a unit that is not open.
ReadPosition readPosition(int unit);

}  // namespace kelm::records
