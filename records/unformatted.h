#pragma once
// Unformatted sequential statements: records of raw little-endian item images, framed in
// length-byte blocks behind a file mark.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "records/status.h"
#include "records/unit_table.h"

namespace kelm::records {

class UnformattedRead {
 public:
  explicit UnformattedRead(int unit);  // beginUnformattedRead
  ~UnformattedRead();
  UnformattedRead(const UnformattedRead&) = delete;
  UnformattedRead& operator=(const UnformattedRead&) = delete;

  // Copies the next byteCount bytes of the record; does nothing after a failure.
  void readItem(void* address, std::size_t byteCount);
  // Skips the rest of the record. 0, -1 at end of file, or a positive error number. Idempotent.
  int end();  // endUnformattedRead

  // Held in place rather than on the heap: klplt.res is hundreds of thousands of statements.
  struct State {
    std::optional<UnitGuard> guard;
    FileStream* file = nullptr;
    int status = 0;
    bool ended = false;
    int leading = -1;  // leading byte of the open block, -1 when none is open
    std::size_t left = 0;
    std::size_t recordBytes = 0;  // of the blocks opened so far
    bool recordBegun = false;     // its leading byte read: the unit counts it
    std::size_t wanted = 0;       // bytes the items asked for
    std::size_t got = 0;          // and those the record gave

    bool byte(int& value);
    bool openBlock();
    bool closeBlock(bool& recordGoesOn);
  };

 private:
  State state_;
};

class UnformattedWrite {
 public:
  explicit UnformattedWrite(int unit);
  ~UnformattedWrite();
  UnformattedWrite(const UnformattedWrite&) = delete;
  UnformattedWrite& operator=(const UnformattedWrite&) = delete;

  void writeItem(const void* address, std::size_t byteCount);
  int end();  // writes the record's blocks

  struct State;

 private:
  std::unique_ptr<State> state_;
};

template <class... Items>
[[nodiscard]] int readUnformatted(int unit, Items&... items) {
  UnformattedRead r(unit);
  (r.readItem(&items, sizeof(items)), ...);
  return r.end();
}

template <class... Items>
int writeUnformatted(int unit, const Items&... items) {
  UnformattedWrite w(unit);
  (w.writeItem(&items, sizeof(items)), ...);
  return w.end();
}

}  // namespace kelm::records
