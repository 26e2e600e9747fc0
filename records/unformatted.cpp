#include "records/unformatted.h"

#include <cstring>
#include <optional>
#include <vector>

#include "records/error_numbers.h"
#include "records/unit_table.h"

namespace kelm::records {

namespace {

constexpr int kFileMark = 0x4B;
constexpr int kContinued = 0x81;
constexpr int kEndMark = 0x82;
constexpr std::size_t kBlockBytes = 128;

int checkedUnit(const UnitGuard& guard, bool reading) {
  if (guard.status() != 0) return guard.status();
  const Unit& unit = *guard.unit();
  if (unit.kind != UnitKind::kDisk || unit.form != Form::kUnformatted) return kWrongForm;
  if (reading && unit.action == Action::kWrite) return kWriteOnlyUnit;
  if (!reading && unit.action == Action::kRead) return kReadOnlyUnit;
  return 0;
}

}  // namespace

// A byte of the file, or false with the status set: physical end is end of file.
bool UnformattedRead::State::byte(int& value) {
  value = file->readByte();
  if (value >= 0) return true;
  status = value == FileStream::kEnd ? kEndOfFile : kFileReadFailed;
  return false;
}

bool UnformattedRead::State::openBlock() {
  int length;
  if (!byte(length)) return false;
  if (length == kEndMark) {
    status = kEndOfFile;
    return false;
  }
  if (!recordBegun) {
    recordBegun = true;
    ReadPosition& position = guard->unit()->position;
    position = {.record = position.record + 1};
  }
  if (length > kContinued) {
    status = kBadBlockLength;
    return false;
  }
  leading = length;
  left = length == kContinued ? kBlockBytes : static_cast<std::size_t>(length);
  recordBytes += left;
  if (recordBytes > FileStream::kMaxRecordBytes) {
    status = kRecordTooLong;
    return false;
  }
  return true;
}

// Reads the trailing byte of the used-up block; true while the record goes on.
bool UnformattedRead::State::closeBlock(bool& recordGoesOn) {
  int trailing;
  if (!byte(trailing)) return false;
  if (trailing != leading) {
    status = kBadBlockLength;
    return false;
  }
  recordGoesOn = leading == kContinued;
  leading = -2;  // record ended, or the next block opens on demand
  if (recordGoesOn) leading = -1;
  return true;
}

UnformattedRead::UnformattedRead(int unit) {
  State& s = state_;
  s.guard.emplace(unit);
  s.status = checkedUnit(*s.guard, true);
  if (s.status != 0) return;
  Unit& u = *s.guard->unit();
  s.file = &u.file;
  if (!u.fileMarkTested) {
    int mark;
    if (!s.byte(mark)) return;
    u.fileMarkTested = true;
    if (mark != kFileMark) s.status = kBadFileMark;
  }
}

UnformattedRead::~UnformattedRead() { end(); }

void UnformattedRead::readItem(void* address, std::size_t byteCount) {
  State& s = state_;
  if (s.ended) return;
  s.wanted += byteCount;
  if (s.status != 0) return;
  auto* to = static_cast<unsigned char*>(address);
  while (byteCount > 0) {
    if (s.leading == -2) {
      s.status = kShortRecord;
      return;
    }
    if (s.leading == -1 && !s.openBlock()) return;
    if (s.left == 0) {
      bool goesOn = false;
      if (!s.closeBlock(goesOn)) return;
      continue;
    }
    const std::size_t n = std::min(byteCount, s.left);
    const long got = s.file->readBytes(to, n);
    if (got != static_cast<long>(n)) {
      s.status = got < 0 ? kFileReadFailed : kEndOfFile;
      if (got > 0) s.got += static_cast<std::size_t>(got);
      return;
    }
    to += n;
    byteCount -= n;
    s.left -= n;
    s.got += n;
  }
}

int UnformattedRead::end() {
  State& s = state_;
  if (s.ended) return s.status;
  s.ended = true;
  // Skip the rest of the record so that the next statement starts at a leading byte.
  while (s.status == 0 && s.leading != -2) {
    if (s.leading == -1 && !s.openBlock()) break;
    unsigned char skipped[kBlockBytes];
    const long got = s.file->readBytes(skipped, s.left);
    if (got != static_cast<long>(s.left)) {
      s.status = got < 0 ? kFileReadFailed : kEndOfFile;
      break;
    }
    s.left = 0;
    bool goesOn = false;
    if (!s.closeBlock(goesOn)) break;
  }
  // A record that ends, or a file that ends, before the items are filled: by how much.
  if (s.recordBegun && (s.status == kShortRecord || s.status == kEndOfFile))
    s.guard->unit()->position.bytesShort = static_cast<long>(s.wanted - s.got);
  s.guard.reset();
  return s.status;
}

struct UnformattedWrite::State {
  std::optional<UnitGuard> guard;
  int status = 0;
  bool ended = false;
  std::vector<unsigned char> bytes;
};

UnformattedWrite::UnformattedWrite(int unit) : state_(std::make_unique<State>()) {
  state_->guard.emplace(unit);
  state_->status = checkedUnit(*state_->guard, false);
}

UnformattedWrite::~UnformattedWrite() { end(); }

void UnformattedWrite::writeItem(const void* address, std::size_t byteCount) {
  State& s = *state_;
  if (s.status != 0 || s.ended) return;
  const auto* from = static_cast<const unsigned char*>(address);
  s.bytes.insert(s.bytes.end(), from, from + byteCount);
}

int UnformattedWrite::end() {
  State& s = *state_;
  if (s.ended) return s.status;
  s.ended = true;
  if (s.status == 0) {
    Unit& unit = *s.guard->unit();
    std::vector<unsigned char> out;
    if (!unit.fileMarkWritten) out.push_back(kFileMark);
    std::size_t at = 0;
    while (s.bytes.size() - at > kBlockBytes) {
      out.push_back(kContinued);
      out.insert(out.end(), s.bytes.begin() + static_cast<std::ptrdiff_t>(at),
                 s.bytes.begin() + static_cast<std::ptrdiff_t>(at + kBlockBytes));
      out.push_back(kContinued);
      at += kBlockBytes;
    }
    const auto last = static_cast<unsigned char>(s.bytes.size() - at);
    out.push_back(last);
    out.insert(out.end(), s.bytes.begin() + static_cast<std::ptrdiff_t>(at), s.bytes.end());
    out.push_back(last);
    if (unit.file.write(out.data(), out.size())) unit.fileMarkWritten = true;
    else s.status = kFileWriteFailed;
  }
  s.guard.reset();
  return s.status;
}

}  // namespace kelm::records
