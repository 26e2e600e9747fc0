#pragma once
// Fixed-capacity arrays indexed from 1, as the project store, the views and the batch list use them.
// Every access is checked against the capacity: a reader tests inRange() before it stores,
// and an index that slips past that is a defect, reported and stopped rather than let loose.

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace kelm {

[[noreturn]] inline void indexOutOfRange(const char* what, long index, long capacity) {
  std::fprintf(stderr, "KELM: index %ld outside 1..%ld of %s\n", index, capacity, what);
  std::abort();
}

template <class T, int N>
class Array1 {
 public:
  static constexpr int capacity() { return N; }
  static constexpr bool inRange(long i) { return i >= 1 && i <= N; }
  T& operator()(long i) {
    if (!inRange(i)) indexOutOfRange("array", i, N);
    return data_[i - 1];
  }
  const T& operator()(long i) const {
    if (!inRange(i)) indexOutOfRange("array", i, N);
    return data_[i - 1];
  }
  // Contiguous elements first..first+count-1, for polylines and the like (count may be 0).
  const T* from(long first) const { return data_ + (first - 1); }
  T* from(long first) { return data_ + (first - 1); }

 private:
  T data_[static_cast<std::size_t>(N)] = {};
};

// Element (i, p) with i varying fastest in memory.
template <class T, int NI, int NP>
class Array2 {
 public:
  static constexpr bool inRange(long i, long p) { return i >= 1 && i <= NI && p >= 1 && p <= NP; }
  T& operator()(long i, long p) {
    if (!inRange(i, p)) indexOutOfRange("two-dimensional array", i * 100000 + p, NI);
    return data_[(p - 1) * NI + (i - 1)];
  }
  const T& operator()(long i, long p) const {
    if (!inRange(i, p)) indexOutOfRange("two-dimensional array", i * 100000 + p, NI);
    return data_[(p - 1) * NI + (i - 1)];
  }

 private:
  T data_[static_cast<std::size_t>(NI) * static_cast<std::size_t>(NP)] = {};
};

}  // namespace kelm
