#include "records/unit_table.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <span>

#include "records/error_numbers.h"
#include "records/open_keywords.h"
#include "records/units.h"
#include "records/window_port.h"
#include "runtime/text.h"

namespace kelm::records {

namespace {

std::mutex tableLock;
std::map<int, std::shared_ptr<Unit>>& table() {
  static std::map<int, std::shared_ptr<Unit>> units;
  return units;
}

// Unit 0 and the default unit are one and the same "Output" window, always open.
const std::shared_ptr<Unit>& outputUnit() {
  static const std::shared_ptr<Unit> unit = [] {
    auto made = std::make_shared<Unit>();
    made->kind = UnitKind::kOutput;
    made->action = Action::kWrite;
    return made;
  }();
  return unit;
}

bool isOutputUnit(int number) { return number == 0 || number == kDefaultUnit; }

int accessFlags(Action action) {
  switch (action) {
    case Action::kRead: return O_RDONLY;
    case Action::kWrite: return O_WRONLY;
    case Action::kReadWrite: return O_RDWR;
  }
  return O_RDONLY;
}

int statusFlags(FileStatus status) {
  switch (status) {
    case FileStatus::kOld: return 0;
    case FileStatus::kNew: return O_CREAT | O_EXCL;
    case FileStatus::kReplace: return O_CREAT | O_TRUNC;
    case FileStatus::kUnknown: return O_CREAT;
    case FileStatus::kScratch: return 0;
  }
  return 0;
}

bool openFile(Unit& unit, const std::string& name, const ResolvedOpen& how) {
  if (how.status == FileStatus::kScratch) {
    unit.action = Action::kReadWrite;
    return unit.file.openScratch();
  }
  // Without an ACTION the widest access that the file allows wins.
  const Action attempts[3] = {Action::kReadWrite, Action::kRead, Action::kWrite};
  for (Action action : how.actionGiven ? std::span<const Action>(&how.action, 1)
                                       : std::span<const Action>(attempts)) {
    // Creating or truncating needs write access: a read-only attempt never creates a file.
    int flags = accessFlags(action);
    if (action != Action::kRead) flags |= statusFlags(how.status);
    else if (how.status != FileStatus::kOld && how.status != FileStatus::kUnknown) continue;
    if (unit.file.open(name, flags)) {
      unit.action = action;
      return !how.append || unit.file.seekToEnd();
    }
  }
  return false;
}

int closeLocked(Unit& unit, bool deleteFile) {
  int status = 0;
  if (unit.kind == UnitKind::kWindow) {
    windowPort().closeWindow(unit.number);
  } else if (unit.kind == UnitKind::kDisk) {
    if (unit.form == Form::kUnformatted && unit.fileMarkWritten) {
      const unsigned char endMark = 0x82;
      if (!unit.file.write(&endMark, 1)) status = kFileWriteFailed;
    }
    if (!unit.file.close() && status == 0) status = kCloseFailed;
    if (deleteFile && !unit.fileName.empty() && ::unlink(unit.fileName.c_str()) != 0 &&
        status == 0) {
      status = kCloseFailed;
    }
  }
  unit.closed = true;
  return status;
}

// Removes the unit from the table and closes it once no statement holds it.
int detach(int number, bool deleteFile) {
  std::shared_ptr<Unit> unit;
  {
    std::lock_guard table_guard(tableLock);
    auto found = table().find(number);
    if (found == table().end()) return 0;
    unit = found->second;
    table().erase(found);
  }
  std::lock_guard unit_guard(unit->lock);
  return closeLocked(*unit, deleteFile);
}

}  // namespace

bool isValidUnitNumber(int number) {
  return number == kDefaultUnit || (number >= kMinUnit && number <= kMaxUnit);
}

UnitGuard::UnitGuard(int number) {
  if (!isValidUnitNumber(number)) {
    status_ = kUnitOutOfRange;
    return;
  }
  if (isOutputUnit(number)) {
    unit_ = outputUnit();
  } else {
    std::lock_guard table_guard(tableLock);
    auto found = table().find(number);
    if (found != table().end()) unit_ = found->second;
  }
  if (!unit_) {
    status_ = kUnitNotOpen;
    return;
  }
  lock_ = std::unique_lock(unit_->lock);
  if (unit_->closed) {
    lock_.unlock();
    unit_.reset();
    status_ = kUnitNotOpen;
  }
}

int openUnit(int unit, const OpenOptions& options) {
  if (unit == kDefaultUnit || unit < kMinUnit || unit > kMaxUnit) return kUnitOutOfRange;
  if (unit == 0) return kReservedUnit;
  ResolvedOpen how;
  if (const int status = resolveOpenOptions(options, how); status != 0) return status;

  // Opening a unit that is open closes it first, as a fresh connection is asked for.
  detach(unit, false);

  auto made = std::make_shared<Unit>();
  made->number = unit;
  made->form = how.form;
  made->blankAsZero = how.blankAsZero;
  made->padShortRecords = how.padShortRecords;
  if (how.window) {
    made->kind = UnitKind::kWindow;
    made->action = Action::kWrite;
    if (!windowPort().openWindow(unit, trimRight(options.title))) return kWindowNotCreated;
  } else {
    made->kind = UnitKind::kDisk;
    made->fileName = std::string(trimRight(options.file));
    if (how.status == FileStatus::kReplace) ::unlink(made->fileName.c_str());
    if (!openFile(*made, made->fileName, how)) {
      // A missing file says enough by itself; permissions, a directory or a FIFO do not.
      if (made->file.openError() != ENOENT) windowPort().logNote(made->fileName + " cannot be opened: " + made->file.openFailure());
      return kFileOpenFailed;
    }
    if (how.status == FileStatus::kScratch) made->fileName.clear();
  }
  std::lock_guard table_guard(tableLock);
  table()[unit] = std::move(made);
  return 0;
}

int closeUnit(int unit, std::string_view status) {
  if (!isValidUnitNumber(unit)) return kUnitOutOfRange;
  if (isOutputUnit(unit)) return 0;
  status = trimRight(status);
  bool deleteFile = false;
  if (equalsIgnoringCase(status, "DELETE")) {
    deleteFile = true;
  } else if (!status.empty() && !equalsIgnoringCase(status, "KEEP")) {
    return kBadKeywordValue;
  }
  return detach(unit, deleteFile);
}

ReadPosition readPosition(int unit) {
  const UnitGuard guard(unit);
  return guard.status() == 0 ? guard.unit()->position : ReadPosition{};
}

bool isUnitOpen(int unit) {
  if (isOutputUnit(unit)) return true;
  std::lock_guard table_guard(tableLock);
  return table().count(unit) != 0;
}

}  // namespace kelm::records
