#include "fn/var_range.h"

#include <algorithm>

namespace fn {

void CVarRange::Reset() { Intervals.assign(1, Interval(0.0f, 1.0f)); }

void CVarRange::Combine(float a, float b, std::int32_t mode) {
  switch (mode) {
    case SelectReplace: Intervals.assign(1, Interval(a, b)); break;
    case SelectUnite: {
      std::vector<Interval> result;
      Interval merged(a, b);
      bool placed = false;
      for (const Interval& iv : Intervals) {
        if (iv.second >= a && iv.first <= b) {  // overlaps or touches
          merged.first = std::min(merged.first, iv.first);
          merged.second = std::max(merged.second, iv.second);
        } else if (iv.second < a) {
          result.push_back(iv);
        }
      }
      for (const Interval& iv : Intervals) {
        if (iv.first > b) {
          if (!placed) {
            result.push_back(merged);
            placed = true;
          }
          result.push_back(iv);
        }
      }
      if (!placed) result.push_back(merged);
      Intervals.swap(result);
      break;
    }
    case SelectIntersect: {
      std::vector<Interval> result;
      for (const Interval& iv : Intervals) {
        float lo = std::max(iv.first, a);
        float hi = std::min(iv.second, b);
        if (lo < hi) result.emplace_back(lo, hi);
      }
      Intervals.swap(result);
      break;
    }
    case SelectReplaceIntersection: {
      std::vector<Interval> result;
      bool placed = false;
      for (const Interval& iv : Intervals) {
        bool intersects = std::max(iv.first, a) < std::min(iv.second, b);
        if (intersects) {
          if (!placed) {
            result.emplace_back(a, b);
            placed = true;
          }
        } else {
          if (!placed && iv.first > a) {
            result.emplace_back(a, b);
            placed = true;
          }
          result.push_back(iv);
        }
      }
      if (!placed) result.emplace_back(a, b);
      Intervals.swap(result);
      break;
    }
    default: break;
  }
}

bool CVarRange::Contains(float x) const {
  for (const Interval& iv : Intervals) {
    if (!(x >= iv.first)) break;
    if (x <= iv.second) return true;
  }
  return false;
}

}  // namespace fn
