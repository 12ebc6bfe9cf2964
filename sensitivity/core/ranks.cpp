#include "ranks.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "intro_sort.h"

namespace tesvane {

namespace {

void RanksFromOrder(const double* sortedKeys, const int32_t* positions, int64_t n,
                    TMidRanks& ranks) {
  ranks.TwiceRanks.assign(static_cast<size_t>(n), 0);
  ranks.TieSum12 = 0;
  ranks.Runs = 0;
  int64_t s = 0;
  while (s < n) {
    int64_t t = 1;
    while (s + t < n && sortedKeys[s + t] == sortedKeys[s]) ++t;
    const int32_t twice = static_cast<int32_t>(2 * n - 2 * s - t + 1);
    for (int64_t u = 0; u < t; ++u) ranks.TwiceRanks[static_cast<size_t>(positions[s + u])] = twice;
    if (t > 1) ranks.TieSum12 += static_cast<TInt128>(t) * t * t - t;
    ++ranks.Runs;
    s += t;
  }
}

uint64_t SortableBits(double v) {
  if (v == 0.0) v = 0.0;  // -0 sorts with +0
  uint64_t u;
  std::memcpy(&u, &v, sizeof u);
  return (u & 0x8000000000000000ull) ? ~u : (u | 0x8000000000000000ull);
}

}  // namespace

void CalcMidRanks(const double* row, int64_t n, TMidRanks& ranks) {
  std::vector<double> keys(row, row + n);
  std::vector<int32_t> positions(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) positions[static_cast<size_t>(i)] = static_cast<int32_t>(i);
  if (n > 0) IntroSort(keys.data(), positions.data(), n - 1);
  RanksFromOrder(keys.data(), positions.data(), n, ranks);
}

namespace {

// Sorts the sortable bits: an LSD radix sort (11 bits a pass, passes in
// which every key has the same digit skipped) of records that hold the upper
// 32 bits of a key and its position, then a sort of each run of equal upper
// halves by the whole key (the lower halves are read only there). `upper`
// ends with the sorted upper halves; `order` holds the positions in sorted
// order, ascending among equal keys.
void RadixSort(const double* row, int64_t n, std::vector<uint32_t>& upper,
               std::vector<int32_t>& order) {
  const size_t count = static_cast<size_t>(n);
  constexpr int kBits = 11;
  constexpr int kPasses = 3;  // 33 bits >= 32
  constexpr size_t kBuckets = size_t{1} << kBits;
  constexpr size_t kCopies = 4;  // histogram copies, against store-forwarding stalls
  // Scratch records kept per thread: fresh memory costs a page fault per page.
  thread_local std::vector<uint64_t> a, b;
  if (a.size() < count) {
    a.resize(count);
    b.resize(count);
  }
  std::vector<uint32_t> hist(kBuckets * kPasses * kCopies, 0);
  for (size_t i = 0; i < count; ++i) {
    const uint64_t top = SortableBits(row[i]) >> 32;
    a[i] = (top << 32) | static_cast<uint64_t>(i);
    uint32_t* h = hist.data() + (i % kCopies) * kBuckets * kPasses;
    for (int p = 0; p < kPasses; ++p) ++h[p * kBuckets + ((top >> (p * kBits)) & (kBuckets - 1))];
  }
  for (size_t c = 1; c < kCopies; ++c)
    for (size_t j = 0; j < kBuckets * kPasses; ++j) hist[j] += hist[c * kBuckets * kPasses + j];
  for (int p = 0; p < kPasses; ++p) {
    uint32_t* h = hist.data() + p * kBuckets;
    const int shift = 32 + p * kBits;
    const uint64_t first = count == 0 ? 0 : (a[0] >> shift) & (kBuckets - 1);
    if (h[first] == count) continue;  // every key has this digit
    uint32_t sum = 0;
    for (size_t bucket = 0; bucket < kBuckets; ++bucket) {
      const uint32_t c = h[bucket];
      h[bucket] = sum;
      sum += c;
    }
    for (size_t i = 0; i < count; ++i) {
      const uint64_t e = a[i];
      b[h[(e >> shift) & (kBuckets - 1)]++] = e;
    }
    a.swap(b);
  }
  upper.resize(count);
  order.resize(count);
  for (size_t i = 0; i < count; ++i) {
    order[i] = static_cast<int32_t>(a[i] & 0xFFFFFFFFu);
    upper[i] = static_cast<uint32_t>(a[i] >> 32);
  }
  // Runs of equal upper halves: sorted by the whole key where it differs.
  std::vector<std::pair<uint64_t, int32_t>> run;
  size_t s = 0;
  while (s < count) {
    size_t e = s + 1;
    while (e < count && upper[e] == upper[s]) ++e;
    if (e - s > 1) {
      const uint64_t k0 = SortableBits(row[order[s]]);
      bool differ = false;
      for (size_t i = s + 1; i < e && !differ; ++i) differ = SortableBits(row[order[i]]) != k0;
      if (differ) {
        run.clear();
        for (size_t i = s; i < e; ++i) run.emplace_back(SortableBits(row[order[i]]), order[i]);
        std::sort(run.begin(), run.end());
        for (size_t i = s; i < e; ++i) order[i] = run[i - s].second;
      }
    }
    s = e;
  }
}

}  // namespace

void RadixSortOrder(const double* row, int64_t n, std::vector<int32_t>& order) {
  std::vector<uint32_t> upper;
  RadixSort(row, n, upper, order);
}

void CalcMidRanksFast(const double* row, int64_t n, TMidRanks& ranks,
                      std::vector<int32_t>* sortedOrder) {
  thread_local std::vector<uint32_t> upper;
  thread_local std::vector<int32_t> order;
  RadixSort(row, n, upper, order);
  ranks.TwiceRanks.assign(static_cast<size_t>(n), 0);
  ranks.TieSum12 = 0;
  ranks.Runs = 0;
  int64_t s = 0;
  while (s < n) {
    const size_t us = static_cast<size_t>(s);
    int64_t t = 1;
    // Equal keys have equal upper halves; only then are the rows compared.
    while (s + t < n && upper[us + static_cast<size_t>(t)] == upper[us] &&
           SortableBits(row[order[us + static_cast<size_t>(t)]]) == SortableBits(row[order[us]]))
      ++t;
    const int32_t twice = static_cast<int32_t>(2 * n - 2 * s - t + 1);
    for (int64_t u = 0; u < t; ++u)
      ranks.TwiceRanks[static_cast<size_t>(order[us + static_cast<size_t>(u)])] = twice;
    if (t > 1) ranks.TieSum12 += static_cast<TInt128>(t) * t * t - t;
    ++ranks.Runs;
    s += t;
  }
  if (sortedOrder != nullptr) sortedOrder->assign(order.begin(), order.begin() + n);
}

namespace {

// Sum of (a - b)^2 over [begin, end), the terms below 2^62 and the count
// small enough that the sum stays below 2^64.
inline uint64_t BlockSum(const int32_t* a, const int32_t* b, int64_t begin, int64_t end) {
  uint64_t sum = 0;
  for (int64_t i = begin; i < end; ++i) {
    const int32_t d = a[i] - b[i];
    const uint32_t u = static_cast<uint32_t>(d < 0 ? -d : d);
    sum += static_cast<uint64_t>(u) * u;
  }
  return sum;
}

int64_t SafeBlock(int64_t n) {
  // Each term is at most (2n)^2; a block's sum must stay below 2^64.
  const double maxTerm = 4.0 * static_cast<double>(n) * static_cast<double>(n) + 1.0;
  return static_cast<int64_t>(std::min(4096.0, std::max(1.0, 1.8e19 / maxTerm)));
}

}  // namespace

TInt128 SumSquaredRankDifferences4(const int32_t* a, const int32_t* b, int64_t n) {
  const int64_t block = SafeBlock(n);
  TInt128 total = 0;
  for (int64_t start = 0; start < n; start += block)
    total += BlockSum(a, b, start, std::min(n, start + block));
  return total;
}

double SpearmanFromSums(int64_t n, TInt128 tieSum12Y, TInt128 tieSum12X, TInt128 d4) {
  const TInt128 nn = n;
  const TInt128 dy12 = nn * nn * nn - nn - tieSum12Y;  // 12 Dy
  const TInt128 dx12 = nn * nn * nn - nn - tieSum12X;  // 12 Dx
  if (dy12 <= 0 || dx12 <= 0) return 0.0;
  // (Dy + Dx - D) / (2 sqrt(Dy Dx)) = (12Dy + 12Dx - 3 D4) / (2 sqrt(12Dy 12Dx))
  const TInt128 numerator = dy12 + dx12 - 3 * d4;
  const double denominator =
      2.0 * std::sqrt(static_cast<long double>(dy12)) * std::sqrt(static_cast<long double>(dx12));
  return static_cast<double>(static_cast<long double>(numerator) / denominator);
}

std::vector<double> SpearmanMatrix(const std::vector<const double*>& columns, int64_t n,
                                   unsigned threads) {
  const size_t k = columns.size();
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<TMidRanks> ranks(k);
  auto parallel = [&](size_t count, auto&& body) {
    std::atomic<size_t> next{0};
    std::vector<std::thread> pool;
    const unsigned t = static_cast<unsigned>(std::min<size_t>(threads, count));
    for (unsigned w = 0; w < t; ++w)
      pool.emplace_back([&]() {
        for (size_t i; (i = next.fetch_add(1)) < count;) body(i);
      });
    for (auto& th : pool) th.join();
  };
  parallel(k, [&](size_t i) { CalcMidRanksFast(columns[i], n, ranks[i]); });
  // The pair sums are taken block by block of samples, so that the blocks of
  // all columns stay in the cache while every pair passes over them; each
  // thread takes a share of the blocks.
  std::vector<std::pair<size_t, size_t>> pairs;
  for (size_t i = 0; i < k; ++i)
    for (size_t j = i + 1; j < k; ++j) pairs.emplace_back(i, j);
  const int64_t block = SafeBlock(n);
  const size_t blocks = static_cast<size_t>((n + block - 1) / block);
  const size_t shares = std::min<size_t>(blocks, static_cast<size_t>(threads) * 4);
  std::vector<std::vector<TInt128>> partial(shares, std::vector<TInt128>(pairs.size(), 0));
  parallel(shares, [&](size_t share) {
    std::vector<TInt128>& acc = partial[share];
    const size_t b0 = blocks * share / shares, b1 = blocks * (share + 1) / shares;
    for (size_t blk = b0; blk < b1; ++blk) {
      const int64_t begin = static_cast<int64_t>(blk) * block;
      const int64_t end = std::min(n, begin + block);
      for (size_t p = 0; p < pairs.size(); ++p)
        acc[p] += BlockSum(ranks[pairs[p].first].TwiceRanks.data(),
                           ranks[pairs[p].second].TwiceRanks.data(), begin, end);
    }
  });
  std::vector<double> result(k * k, 0.0);
  for (size_t i = 0; i < k; ++i) result[i * k + i] = 1.0;
  for (size_t p = 0; p < pairs.size(); ++p) {
    TInt128 d4 = 0;
    for (const auto& acc : partial) d4 += acc[p];
    const auto [i, j] = pairs[p];
    const double rho = SpearmanFromSums(n, ranks[i].TieSum12, ranks[j].TieSum12, d4);
    result[i * k + j] = rho;
    result[j * k + i] = rho;
  }
  return result;
}

}  // namespace tesvane
