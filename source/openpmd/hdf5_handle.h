#pragma once
// Owning HDF5 identifiers and the one lock every use of the library takes: Debian's serial
// libhdf5 is not thread-safe, and kelm-solve runs several projects at once.

#include <hdf5.h>

#include "runtime/fp_traps.h"

#include <cstddef>
#include <mutex>
#include <utility>

namespace kelm::openpmd {

class Handle {
 public:
  using Close = herr_t (*)(hid_t);
  Handle() = default;
  Handle(hid_t id, Close close) : id_(id), close_(close) {}
  Handle(Handle&& other) noexcept : id_(std::exchange(other.id_, H5I_INVALID_HID)), close_(other.close_) {}
  Handle& operator=(Handle&& other) noexcept {
    std::swap(id_, other.id_);
    std::swap(close_, other.close_);
    return *this;
  }
  ~Handle() {
    if (id_ >= 0 && close_) close_(id_);
  }
  hid_t get() const { return id_; }
  bool valid() const { return id_ >= 0; }

 private:
  hid_t id_ = H5I_INVALID_HID;
  Close close_ = nullptr;
};

// Held for a whole file's writing or reading: the lock, the floating-point traps masked for
// the library's own conversions (what KELM computes meanwhile is bounded before), and the
// library's error printing silenced, since every failure is reported in the caller's words.
class Hdf5Session {
 public:
  Hdf5Session();

 private:
  std::unique_lock<std::mutex> lock_;
  FloatingPointTrapsSuspended traps_;
};

// A file held in memory only (the core driver without a backing store); image, when given,
// is its initial content.
Handle memoryFileAccess(const void* image = nullptr, std::size_t size = 0);

}  // namespace kelm::openpmd
