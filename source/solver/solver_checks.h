#pragma once
// Invariants of the solver, checked where KELM_CHECKS is defined (every build type but Release
// and MinSizeRel, so the tests run them) and compiled away elsewhere. A broken invariant is a
// fault in KELM itself: it says where and stops.

#include <cstdio>
#include <cstdlib>

#ifdef KELM_CHECKS
#define KELM_ASSERT(condition)                                                                   \
  do {                                                                                           \
    if (!(condition)) {                                                                          \
      std::fprintf(stderr, "%s:%d: KELM's invariant does not hold: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                              \
    }                                                                                            \
  } while (false)
#else
// Named but not evaluated, so that a variable used only in a check is no unused variable.
#define KELM_ASSERT(condition)      \
  do {                              \
    (void)sizeof((condition) ? 1 : 0); \
  } while (false)
#endif
