#pragma once
// Floating-point traps of the program thread: invalid operation, division by zero and overflow
// stop the program; underflow and inexact results stay masked.

namespace kelm {

// Called with a short description of the fault ("floating-point division by zero" and the like).
using FloatingPointFaultHandler = void (*)(const char* what);

// Unmasks the three traps on the calling thread and routes SIGFPE to handler.
void enableFloatingPointTraps(FloatingPointFaultHandler handler);

// Whether the calling thread currently runs with the traps unmasked.
bool floatingPointTrapsEnabled();

// Masks every trap for the lifetime of the guard and restores the caller's state afterwards.
// Code that calls into libraries we do not control (Qt, the C library's formatting) runs under
// this guard, so that only KELM's own arithmetic can trap.
class FloatingPointTrapsSuspended {
 public:
  FloatingPointTrapsSuspended();
  ~FloatingPointTrapsSuspended();
  FloatingPointTrapsSuspended(const FloatingPointTrapsSuspended&) = delete;
  FloatingPointTrapsSuspended& operator=(const FloatingPointTrapsSuspended&) = delete;

 private:
  int savedTraps_;
};

}  // namespace kelm
