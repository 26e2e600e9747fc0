#pragma once
// The program thread's floating-point traps, on only while KELM's code runs: the fuzzer's own
// arithmetic is not written for them. A trap aborts, so that the fuzzer keeps the input.

#include <fenv.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/fp_traps.h"

namespace kelm::fuzzing {

class TrapsOn {
 public:
  TrapsOn() {
    enableFloatingPointTraps([](const char* what) {
      std::fprintf(stderr, "trapped: %s\n", what);
      std::abort();
    });
  }
  ~TrapsOn() {
    fedisableexcept(FE_ALL_EXCEPT);
    feclearexcept(FE_ALL_EXCEPT);
  }
  TrapsOn(const TrapsOn&) = delete;
  TrapsOn& operator=(const TrapsOn&) = delete;
};

}  // namespace kelm::fuzzing
