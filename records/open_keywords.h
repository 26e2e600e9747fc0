#pragma once
// OPEN keyword values resolved to codes. Internal to the record layer.

#include "records/unit_table.h"
#include "records/units.h"

namespace kelm::records {

enum class FileStatus { kOld, kNew, kScratch, kReplace, kUnknown };

struct ResolvedOpen {
  bool window = false;
  FileStatus status = FileStatus::kUnknown;
  Form form = Form::kFormatted;
  bool actionGiven = false;
  Action action = Action::kReadWrite;
  bool append = false;
  bool blankAsZero = false;
  bool padShortRecords = true;
};

// 0 and the resolved codes, or kBadKeywordValue / kUnsupportedAccess.
int resolveOpenOptions(const OpenOptions& options, ResolvedOpen& resolved);

}  // namespace kelm::records
