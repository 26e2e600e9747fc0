#include "source/solver/field/library_turn.h"

#include <SuiteSparse_config.h>
#include <dlfcn.h>
#include <sys/mman.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace kelm::solver {
namespace {

std::mutex& libraryMutex() {
  static std::mutex m;
  return m;
}

// The factor's blocks run to hundreds of megabytes, and the first touch of each 4 KiB page of
// them traps into the kernel: a third of a factorization went on those traps. Large blocks ask
// for 2 MiB pages instead (advice the kernel may decline, as it does without them).
void* allocateBlock(std::size_t bytes) {
  constexpr std::size_t kLarge = std::size_t{4} << 20;
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (bytes < kLarge) return std::malloc(bytes);
  void* block = nullptr;
  if (::posix_memalign(&block, kHugePage, bytes) != 0) return nullptr;
  ::madvise(block, (bytes + 4095) & ~std::size_t{4095}, MADV_HUGEPAGE);
  return block;
}

// Set while this thread holds the turn; the parallel regions the library opens then run inline.
thread_local bool inlineRegions = false;
std::atomic<std::uint64_t> regionsInline{0};

// Where the library's regions pass the replacement below by (a static or hidden link, another
// OpenMP runtime, another entry), the runtime's own setting keeps every region to one thread,
// asked of whichever runtime the library brought into the process.
void limitRuntimeToOneThread() {
  static const bool limited = [] {
    std::fputs("kelm: the factorization's parallel regions do not run inline here; "
               "they are kept to one thread instead\n", stderr);
    using Setter = void (*)(int);
    if (const auto set = reinterpret_cast<Setter>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"))) set(0);
    return true;
  }();
  (void)limited;
}

}  // namespace

LibraryTurn::LibraryTurn() : turn_(libraryMutex()), regionsBefore_(regionsInline.load()) {
  // Blocks come back through free and realloc, which take aligned blocks as they are.
  static const bool allocatorSet = [] {
#if SUITESPARSE_MAIN_VERSION >= 7
    SuiteSparse_config_malloc_func_set(allocateBlock);
#else
    SuiteSparse_config.malloc_func = allocateBlock;
#endif
    return true;
  }();
  (void)allocatorSet;
  inlineRegions = true;
}

LibraryTurn::~LibraryTurn() { inlineRegions = false; }

void LibraryTurn::confirmRegionsRanInline() const {
  if (regionsInline.load() == regionsBefore_) limitRuntimeToOneThread();
}

std::uint64_t LibraryTurn::regionsRunInline() { return regionsInline.load(); }

}  // namespace kelm::solver

// The OpenMP runtime's entry for a parallel region, as the compiler calls it. This definition
// takes precedence over the runtime's for the whole program: inside a library turn the region's
// body runs once, on the calling thread, as a team of one (the runtime's own queries then answer
// one thread and thread 0, and its barriers return at once); anywhere else the call passes on to
// the runtime unchanged. It saves a quarter or more of a factorization's processor time over the
// runtime's and the library's own thread settings, so it stays, fenced by the count.
extern "C" void GOMP_parallel(void (*body)(void*), void* data, unsigned threads, unsigned flags) {
  if (kelm::solver::inlineRegions) {
    kelm::solver::regionsInline.fetch_add(1, std::memory_order_relaxed);
    return body(data);
  }
  using Entry = void (*)(void (*)(void*), void*, unsigned, unsigned);
  static const Entry runtime = reinterpret_cast<Entry>(::dlsym(RTLD_NEXT, "GOMP_parallel"));
  if (runtime) return runtime(body, data, threads, flags);
  body(data);  // no runtime in the process: nothing else could run the region
}
