#pragma once
// Runs a piece of drawing or loading as the program thread would: on a thread of its own with
// the floating-point traps on. A trap ends the test binary with the fault's name.

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "runtime/fp_traps.h"

namespace kelm::testing {

template <class Work>
void onProgramThread(Work work) {
  std::thread([&] {
    enableFloatingPointTraps([](const char* what) {
      std::fprintf(stderr, "trapped: %s\n", what);
      std::abort();
    });
    work();
  }).join();
}

}  // namespace kelm::testing
