// Spearman's rank correlation of two sample columns, ties given their mean rank.
#pragma once

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

inline std::vector<double> Ranks(const std::vector<float>& x) {
  std::vector<int> order(x.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return x[a] < x[b]; });
  std::vector<double> r(x.size());
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i;
    while (j + 1 < order.size() && x[order[j + 1]] == x[order[i]]) ++j;
    for (std::size_t k = i; k <= j; ++k) r[order[k]] = 0.5 * (i + j) + 1;
    i = j + 1;
  }
  return r;
}

inline double Spearman(const std::vector<float>& a, const std::vector<float>& b) {
  std::vector<double> ra = Ranks(a), rb = Ranks(b);
  double n = static_cast<double>(a.size()), mean = (n + 1) / 2;
  double sab = 0, saa = 0, sbb = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    sab += (ra[i] - mean) * (rb[i] - mean);
    saa += (ra[i] - mean) * (ra[i] - mean);
    sbb += (rb[i] - mean) * (rb[i] - mean);
  }
  return sab / std::sqrt(saa * sbb);
}
