#pragma once
// The table of open units. Internal to the record layer.

#include <memory>
#include <mutex>
#include <string>

#include "records/file_stream.h"
#include "records/units.h"

namespace kelm::records {

enum class UnitKind { kDisk, kWindow, kOutput };
enum class Form { kFormatted, kUnformatted };
enum class Action { kRead, kWrite, kReadWrite };

struct Unit {
  // Fixed when the unit is opened.
  int number = 0;
  UnitKind kind = UnitKind::kDisk;
  std::string fileName;
  Form form = Form::kFormatted;
  Action action = Action::kReadWrite;
  bool blankAsZero = false;
  bool padShortRecords = true;

  // Moving state.
  FileStream file;
  bool closed = false;           // set under the lock by close; a late statement sees it
  bool fileMarkTested = false;   // unformatted reading has checked the leading 0x4B
  bool fileMarkWritten = false;  // unformatted writing has put the leading 0x4B
  ReadPosition position;

  std::mutex lock;  // held for the whole of each statement
};

// The unit locked for the duration of one statement.
class UnitGuard {
 public:
  explicit UnitGuard(int number);
  Unit* unit() const { return unit_.get(); }
  // 0 when the unit is usable, else the error number.
  int status() const { return status_; }

 private:
  std::shared_ptr<Unit> unit_;
  std::unique_lock<std::mutex> lock_;
  int status_ = 0;
};

// The unit number is valid for a statement: the default unit or -32767..32767.
bool isValidUnitNumber(int number);

}  // namespace kelm::records
