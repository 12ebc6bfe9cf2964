// tesvane_spearman FILE N K [THREADS] [OUT]
// Reads K columns of N little-endian float64 values (column after column)
// from FILE, computes their Spearman matrix and prints the wall time of the
// computation (ranks and correlations, not the reading) in seconds. With OUT,
// writes the K x K matrix there as float64.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ranks.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: tesvane_spearman FILE N K [THREADS] [OUT]\n");
    return 2;
  }
  const long long n = std::atoll(argv[2]);
  const long long k = std::atoll(argv[3]);
  const unsigned threads = argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 0;
  if (n < 2 || k < 1 || n > (1LL << 31) || k > 10000) {
    std::fprintf(stderr, "bad sizes\n");
    return 2;
  }
  std::vector<std::vector<double>> columns(static_cast<size_t>(k),
                                           std::vector<double>(static_cast<size_t>(n)));
  std::ifstream in(argv[1], std::ios::binary);
  for (auto& c : columns)
    if (!in.read(reinterpret_cast<char*>(c.data()), static_cast<std::streamsize>(n * 8))) {
      std::fprintf(stderr, "cannot read %s\n", argv[1]);
      return 1;
    }
  std::vector<const double*> ptrs;
  for (const auto& c : columns) ptrs.push_back(c.data());
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<double> m = tesvane::SpearmanMatrix(ptrs, n, threads);
  const auto t1 = std::chrono::steady_clock::now();
  std::printf("%.6f\n", std::chrono::duration<double>(t1 - t0).count());
  if (argc > 5) {
    std::ofstream out(argv[5], std::ios::binary);
    out.write(reinterpret_cast<const char*>(m.data()), static_cast<std::streamsize>(m.size() * 8));
  }
  return 0;
}
