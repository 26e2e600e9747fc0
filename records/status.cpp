#include "records/status.h"

#include <array>
#include <string>

#include "records/error_numbers.h"
#include "records/window_port.h"

namespace kelm::records {

namespace {

struct ErrorEntry {
  int number;
  std::string_view text;
};

constexpr std::array kErrorTexts = {
    ErrorEntry{kUnitOutOfRange, "unit number out of range"},
    ErrorEntry{kBadKeywordValue, "invalid OPEN or CLOSE keyword value"},
    ErrorEntry{kFileOpenFailed, "file not found or cannot be opened"},
    ErrorEntry{kUnsupportedAccess, "only sequential access is supported"},
    ErrorEntry{kReservedUnit, "unit is reserved for the output window"},
    ErrorEntry{kWindowNotCreated, "window for unit cannot be created"},
    ErrorEntry{kUnitNotOpen, "unit is not open"},
    ErrorEntry{kWrongForm, "formatted and unformatted transfer mixed on one unit"},
    ErrorEntry{kReadOnlyUnit, "write to a unit opened for reading"},
    ErrorEntry{kWriteOnlyUnit, "read from a unit opened for writing"},
    ErrorEntry{kFileReadFailed, "error reading file"},
    ErrorEntry{kFileWriteFailed, "error writing file"},
    ErrorEntry{kCloseFailed, "error closing file"},
    ErrorEntry{kBadFormat, "syntax error in format"},
    ErrorEntry{kMissingRunTimeWidth, "run-time width not supplied"},
    ErrorEntry{kBadRunTimeWidth, "run-time width out of range"},
    ErrorEntry{kItemTypeMismatch, "item does not match its edit descriptor"},
    ErrorEntry{kFormatWithoutData, "format has no data edit descriptor for the item"},
    ErrorEntry{kBadCharacterInNumber, "invalid character in numeric field"},
    ErrorEntry{kIntegerOutOfRange, "integer value out of range"},
    ErrorEntry{kRealOutOfRange, "real value out of range"},
    ErrorEntry{kRecordOverflow, "output exceeds record length"},
    ErrorEntry{kBadFileMark, "not an unformatted sequential file"},
    ErrorEntry{kBadBlockLength, "unformatted record framing damaged"},
    ErrorEntry{kShortRecord, "record shorter than the item list"},
    ErrorEntry{kBadRepeatCount, "invalid repeat count in list-directed input"},
    ErrorEntry{kRecordTooLong, "record longer than 1 MiB"},
};

}  // namespace

std::string_view errorText(int status) {
  if (status == kOk) return "no error";
  if (status == kEndOfFile) return "end of file";
  for (const ErrorEntry& entry : kErrorTexts) {
    if (entry.number == status) return entry.text;
  }
  return "unknown error";
}

void requireSuccess(int status) {
  if (status == kOk) return;
  const std::string message = "run-time error " + std::to_string(status) + ": " +
                              std::string(errorText(status));
  windowPort().runtimeError(status, message);
}

}  // namespace kelm::records
