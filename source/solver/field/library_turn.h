#pragma once
// The conditions every call into the sparse factorization library runs under.

#include <cstdint>
#include <mutex>

#include "runtime/fp_traps.h"

namespace kelm::solver {

// Held for the length of each call into the library:
// - The serial BLAS underneath keeps one set of work buffers for the whole process and takes no
//   lock on them: two factorizations or solves running at once in different threads overwrite
//   each other's blocks and come out wrong, or not positive definite. So the calls take turns.
// - The library's arithmetic is not ours to trap.
// - The library opens a parallel region for every small block it clears or updates, hundreds of
//   thousands per factor, each costing a system call even with a single thread: those regions
//   run inline on the calling thread instead, which also keeps the factor independent of the
//   number of cores. A factorization that opened none of them inline (the replacement bypassed)
//   is told by confirmRegionsRanInline(), which then keeps the runtime to one thread.
class LibraryTurn {
 public:
  LibraryTurn();
  ~LibraryTurn();
  // After a factorization under this turn.
  void confirmRegionsRanInline() const;
  // Regions run inline in this process so far.
  static std::uint64_t regionsRunInline();

 private:
  std::lock_guard<std::mutex> turn_;
  FloatingPointTrapsSuspended untrapped_;
  std::uint64_t regionsBefore_;
};

}  // namespace kelm::solver
