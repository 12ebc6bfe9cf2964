#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace fn {

// Selection modes of a marked interval.
enum : std::int32_t {
  SelectReplace = 0,
  SelectUnite = 1,
  SelectIntersect = 2,
  SelectReplaceIntersection = 3,
};

// The selected part of one variable's axis, positions 0 (bottom) to 1 (top), as
// closed intervals ordered by their lower bounds that do not overlap. A fresh
// range selects the whole axis [0, 1]; an empty list selects nothing.
class CVarRange {
 public:
  using Interval = std::pair<float, float>;  // (lower, upper)

  CVarRange() { Reset(); }
  virtual ~CVarRange() = default;
  CVarRange(const CVarRange&) = default;
  CVarRange& operator=(const CVarRange&) = default;

  void Reset();
  // Combines [lower, upper] (lower <= upper) with the list by the selection mode;
  // any other mode changes nothing.
  void Combine(float lower, float upper, std::int32_t mode);
  bool Contains(float x) const;

  std::int32_t Count() const { return static_cast<std::int32_t>(Intervals.size()); }
  const std::vector<Interval>& GetIntervals() const { return Intervals; }

 private:
  std::vector<Interval> Intervals;
};

}  // namespace fn
