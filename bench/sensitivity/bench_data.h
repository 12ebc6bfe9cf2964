// Synthetic sample sets for the sensitivity benchmarks.
#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "sample_store.h"

namespace tesvane::bench {

// `vars` variables of n samples: continuous inputs, functions of them,
// discrete variables with few values, heavily tied ones and an offset one.
inline TFileData MakeStore(int vars, int n, unsigned seed = 1) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> normal;
  TFileData s;
  s.VarCount = vars;
  s.SampleCount = n;
  s.Samples.assign(static_cast<size_t>(vars), std::vector<double>(static_cast<size_t>(n)));
  for (int v = 0; v < vars; ++v) {
    auto& row = s.Samples[static_cast<size_t>(v)];
    for (int i = 0; i < n; ++i) {
      double value;
      switch (v % 6) {
        case 0: value = normal(rng); break;
        case 1:
          value = s.Samples[static_cast<size_t>(v - 1)][static_cast<size_t>(i)] * 0.7 +
                  0.3 * normal(rng);
          break;
        case 2: value = static_cast<double>(rng() % 5); break;      // discrete
        case 3: value = std::round(normal(rng) * 4) / 4; break;     // heavily tied
        case 4: value = 1000 + std::exp(0.2 * normal(rng)); break;  // offset
        default: {
          const double a = s.Samples[static_cast<size_t>(v - 5)][static_cast<size_t>(i)];
          value = a * a + 0.5 * normal(rng);  // nonlinear
        }
      }
      row[static_cast<size_t>(i)] = value;
    }
    s.Names.push_back("var" + std::to_string(v));
    s.Variables.Add(std::make_shared<TRandomVariable>(v, s.Names.back(), "", 2, 2, ""));
    s.MinValues.push_back(*std::min_element(row.begin(), row.end()));
    s.MaxValues.push_back(*std::max_element(row.begin(), row.end()));
    s.DistinctCounts.push_back(v % 6 == 2 ? 5 : 21);
  }
  return s;
}

}  // namespace tesvane::bench
