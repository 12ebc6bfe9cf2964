// Sort with a companion array. The order of equal keys after the
// sort is part of the contract (it decides the groups of the conditional
// expectation), so this is the documented algorithm exactly: a range whose
// middle key lies strictly between its ends is heapsorted, any other range is
// quicksorted with its first key as the pivot. The smaller part of a
// partition is sorted by recursion and the larger by iteration; the parts are
// disjoint, so this changes nothing of the result and bounds the depth.
#pragma once

#include <cstdint>
#include <utility>

namespace tesvane {

namespace detail {

template <typename TCompanion>
void SiftDown(double* keys, TCompanion* comp, int64_t lo, int64_t start, int64_t end) {
  // Offsets are counted from lo; the heap holds lo..end.
  int64_t root = start;
  while (true) {
    int64_t child = lo + 2 * (root - lo) + 1;
    if (child > end) return;
    if (child + 1 <= end && keys[child + 1] > keys[child]) ++child;
    if (keys[child] > keys[root]) {
      std::swap(keys[child], keys[root]);
      std::swap(comp[child], comp[root]);
      root = child;
    } else {
      return;
    }
  }
}

template <typename TCompanion>
void HeapSortRange(double* keys, TCompanion* comp, int64_t lo, int64_t hi) {
  const int64_t count = hi - lo + 1;
  for (int64_t start = lo + (count - 2) / 2; start >= lo; --start)
    SiftDown(keys, comp, lo, start, hi);
  for (int64_t e = hi; e > lo; --e) {
    std::swap(keys[lo], keys[e]);
    std::swap(comp[lo], comp[e]);
    SiftDown(keys, comp, lo, lo, e - 1);
  }
}

template <typename TCompanion>
void SortRange(double* keys, TCompanion* comp, int64_t lo, int64_t hi) {
  while (lo < hi) {
    const int64_t mid = lo + (hi - lo) / 2;
    const double c = keys[mid];
    if ((keys[lo] < c && c < keys[hi]) || (keys[hi] < c && c < keys[lo])) {
      HeapSortRange(keys, comp, lo, hi);
      return;
    }
    const double pivot = keys[lo];
    int64_t i = lo, j = hi;
    do {
      while (keys[i] < pivot) ++i;
      while (keys[j] > pivot) --j;
      if (i <= j) {
        std::swap(keys[i], keys[j]);
        std::swap(comp[i], comp[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    // Both parts are sorted by the range step; the smaller by recursion.
    if (j - lo < hi - i) {
      if (lo < j) SortRange(keys, comp, lo, j);
      lo = i;
    } else {
      if (i < hi) SortRange(keys, comp, i, hi);
      hi = j;
    }
  }
}

}  // namespace detail

// Sorts keys[0..high] ascending and carries companion[0..high] along.
template <typename TCompanion>
void IntroSort(double* keys, TCompanion* companion, int64_t high) {
  if (high > 0) detail::SortRange(keys, companion, 0, high);
}

}  // namespace tesvane
