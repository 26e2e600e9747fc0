#include "records/open_keywords.h"

#include <initializer_list>

#include "records/error_numbers.h"
#include "runtime/text.h"

namespace kelm::records {

namespace {

// Index of value in choices (case-insensitive, trailing blanks ignored), -1 when absent,
// -2 when not given.
int choose(std::string_view value, std::initializer_list<std::string_view> choices) {
  value = trimRight(value);
  if (value.empty()) return -2;
  int index = 0;
  for (std::string_view choice : choices) {
    if (equalsIgnoringCase(value, choice)) return index;
    ++index;
  }
  return -1;
}

}  // namespace

int resolveOpenOptions(const OpenOptions& options, ResolvedOpen& resolved) {
  resolved = ResolvedOpen{};
  const std::string_view file = trimRight(options.file);
  resolved.window = equalsIgnoringCase(file, "USER");

  const int status = choose(options.status, {"OLD", "NEW", "SCRATCH", "REPLACE", "UNKNOWN"});
  const int form = choose(options.form, {"FORMATTED", "UNFORMATTED", "BINARY"});
  const int action = choose(options.action, {"READ", "WRITE", "READWRITE"});
  const int access = choose(options.access, {"SEQUENTIAL", "DIRECT", "APPEND"});
  const int blank = choose(options.blank, {"NULL", "ZERO"});
  const int position = choose(options.position, {"ASIS", "REWIND", "APPEND"});
  const int delim = choose(options.delim, {"NONE", "APOSTROPHE", "QUOTE"});
  const int pad = choose(options.pad, {"YES", "NO"});
  const int share = choose(options.share, {"DENYNONE", "COMPAT", "DENYRD", "DENYWR", "DENYRW"});
  for (int code : {status, form, action, access, blank, position, delim, pad, share}) {
    if (code == -1) return kBadKeywordValue;
  }
  if (options.recordLength < -1 || options.recordLength == 0 || options.blockSize < -1 ||
      options.blockSize == 0) {
    return kBadKeywordValue;
  }
  // Direct access is a keyword the layer knows but does not carry out; refusing it is more
  // honest than silently reading sequentially.
  if (access == 1) return kUnsupportedAccess;

  if (status >= 0) {
    resolved.status = static_cast<FileStatus>(status);
  } else {
    resolved.status = file.empty() ? FileStatus::kScratch : FileStatus::kUnknown;
  }
  resolved.form = form == 1 || form == 2 ? Form::kUnformatted : Form::kFormatted;
  resolved.actionGiven = action >= 0;
  if (action >= 0) resolved.action = static_cast<Action>(action);
  resolved.append = access == 2 || position == 2;
  resolved.blankAsZero = blank == 1;
  resolved.padShortRecords = pad != 1;
  return 0;
}

}  // namespace kelm::records
