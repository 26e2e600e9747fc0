#pragma once
// The run-time error numbers of the record layer; their texts live in status.cpp.

namespace kelm::records {

enum ErrorNumber : int {
  kUnitOutOfRange = 1,
  kBadKeywordValue,
  kFileOpenFailed,
  kUnsupportedAccess,
  kReservedUnit,
  kWindowNotCreated,
  kUnitNotOpen,
  kWrongForm,
  kReadOnlyUnit,
  kWriteOnlyUnit,
  kFileReadFailed,
  kFileWriteFailed,
  kCloseFailed,
  kBadFormat,
  kMissingRunTimeWidth,
  kBadRunTimeWidth,
  kItemTypeMismatch,
  kFormatWithoutData,
  kBadCharacterInNumber,
  kIntegerOutOfRange,
  kRealOutOfRange,
  kRecordOverflow,
  kBadFileMark,
  kBadBlockLength,
  kShortRecord,
  kBadRepeatCount,
  kRecordTooLong,
};

}  // namespace kelm::records
