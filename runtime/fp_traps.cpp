#include "runtime/fp_traps.h"

#include <cfenv>
#include <csignal>
#include <cstdlib>
#include <fenv.h>

namespace kelm {
namespace {

constexpr int kTrapped = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
FloatingPointFaultHandler faultHandler = nullptr;

void onSigfpe(int, siginfo_t* info, void*) {
  const char* what = "floating-point error";
  switch (info->si_code) {
    case FPE_FLTDIV: what = "floating-point division by zero"; break;
    case FPE_FLTOVF: what = "floating-point overflow"; break;
    case FPE_FLTINV: what = "floating-point invalid operation"; break;
    default: break;
  }
  // The fault is synchronous: it was raised by an instruction of this thread, so the handler
  // runs at that instruction as an ordinary call would. Masking first keeps it from re-trapping.
  fedisableexcept(kTrapped);
  if (faultHandler) faultHandler(what);
  std::_Exit(3);
}

}  // namespace

void enableFloatingPointTraps(FloatingPointFaultHandler handler) {
  faultHandler = handler;
  struct sigaction action {};
  action.sa_sigaction = onSigfpe;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGFPE, &action, nullptr);
  feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(kTrapped);
}

bool floatingPointTrapsEnabled() { return (fegetexcept() & kTrapped) != 0; }

FloatingPointTrapsSuspended::FloatingPointTrapsSuspended() : savedTraps_(fegetexcept()) {
  fedisableexcept(FE_ALL_EXCEPT);
}

FloatingPointTrapsSuspended::~FloatingPointTrapsSuspended() {
  // Flags raised by the foreign code must not fire as soon as the traps are unmasked again.
  feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(savedTraps_);
}

}  // namespace kelm
