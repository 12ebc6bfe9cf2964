// Statistics of a run's accepted samples: moments while sampling, then the
// means, variances and correlations of the stored columns.
#include "simulation/run_statistics.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "tesmira/model.h"

namespace tesmira {

void AccumulateMoments(double* sum, double* sumsq, const TSampleList& list, int base) {
  int count = std::clamp<int>(list.count, 0, MaxSampleListEntries);
  double values[MaxSampleListEntries];
  for (int k = 0; k < count; ++k) values[k] = DecodeExtended(list.entries[k].value);
  AccumulateMoments(sum, sumsq, values, count, base);
}

void AccumulateMoments(double* sum, double* sumsq, const double* values, int count, int base) {
  for (int k = 1; k <= count && base + k <= MaxSampleColumns; ++k) {
    double v = values[k - 1];
    sum[base + k] += v;
    sumsq[base + k] += v * v;
  }
}

void ComputeSampleResults(const double* sum, const double* sumsq, int64_t n, int columns,
                          TSampleResults& out) {
  columns = std::clamp(columns, 0, static_cast<int>(MaxSampleColumns));
  for (int k = 1; k <= columns; ++k) {
    double mean = 0, variance = 0;
    if (n >= 2) {
      mean = sum[k] / static_cast<double>(n);
      variance = (sumsq[k] - static_cast<double>(n) * mean * mean) / static_cast<double>(n - 1);
    }
    out.means[k - 1] = static_cast<float>(mean);
    out.variances[k - 1] = static_cast<float>(variance);
  }
}

double EmpiricalRank(const std::vector<double>& table, double x) {
  if (table.size() < 2) return x;
  std::size_t R = table.size() - 1;
  if (x >= table[R]) return 1.0;
  if (x <= table[0]) return 0.0;
  // The last k with table[k] <= x (then x < table[k + 1]), without branches.
  const double* base = table.data();
  std::size_t len = R + 1;
  while (len > 1) {
    std::size_t half = len / 2;
    base = base[half] <= x ? base + half : base;
    len -= half;
  }
  return static_cast<double>(base - table.data()) / static_cast<double>(R);
}

namespace {

// Columns whose node has no variable or a constant one correlate with nothing.
bool DegenerateNodeColumn(int column) {
  if (column < 1 || column > NodeCount()) return false;
  if (IsLatentType(column) || IsCompositeType(column)) return false;
  void* node = NodeAt(column);
  if (LowerCase(NodeVariableName(node)).rfind("latent", 0) == 0) return false;
  const TExtendedRandomVariable* rv = VariableOfNode(node);
  return rv == nullptr || rv->distribution.distType == DistConstant;
}

// The output or input table each column's ranks are read from; none where
// the column has no table.
std::vector<const std::vector<double>*> RankTables(const SampleStore& store, int n) {
  std::vector<const std::vector<double>*> tables(static_cast<std::size_t>(n), nullptr);
  DistributionSlots* din = DistributionSlotArray(false);
  DistributionSlots* dout = DistributionSlotArray(true);
  for (int j = 0; j < n; ++j) {
    bool out = j >= store.InputCount();
    DistributionSlots* d = out ? dout : din;
    int k = out ? j - store.InputCount() : j;
    if (d && !d->tables[k].empty()) tables[static_cast<std::size_t>(j)] = &d->tables[k];
  }
  return tables;
}

bool ReadAt(int fd, void* data, std::size_t bytes, int64_t offset) {
  std::size_t got = 0;
  while (got < bytes) {
    ssize_t k = ::pread(fd, static_cast<char*>(data) + got, bytes - got,
                        static_cast<off_t>(offset + static_cast<int64_t>(got)));
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    got += static_cast<std::size_t>(k);
  }
  return true;
}

// Sums and the upper triangle of the cross products of the store's columns
// (ranks where a table is given), in one pass over values centred on a shift
// near each column's mean: 0.5 for ranks, the first sample otherwise.
bool SumCrossProducts(const SampleStore& store, bool rank,
                      const std::vector<const std::vector<double>*>& tables,
                      std::vector<double>& sum, std::vector<double>& cross) {
  const int n = store.RecordWidth();
  const int64_t N = store.Records();
  const std::size_t nn = static_cast<std::size_t>(n);
  int fd = ::open(store.Path().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const std::size_t recordBytes = static_cast<std::size_t>(n) * 4;
  const int64_t chunk = std::max<int64_t>(1, (1 << 22) / static_cast<int64_t>(recordBytes));
  SampleColumn buf(static_cast<std::size_t>(chunk) * static_cast<std::size_t>(n));
  std::vector<double> x(nn), shift(nn, rank ? 0.5 : 0.0);
  sum.assign(nn, 0.0);
  cross.assign(nn * nn, 0.0);
  bool ok = true;
  for (int64_t r = 0; r < N;) {
    int64_t take = std::min(chunk, N - r);
    if (!ReadAt(fd, buf.data(), static_cast<std::size_t>(take) * recordBytes,
                r * static_cast<int64_t>(recordBytes))) {
      ok = false;
      break;
    }
    if (r == 0 && !rank)
      for (std::size_t j = 0; j < nn; ++j) shift[j] = buf[j];
    for (int64_t s2 = 0; s2 < take; ++s2) {
      const float* rec = buf.data() + s2 * n;
      for (std::size_t j = 0; j < nn; ++j) {
        double v = rec[j];
        if (rank && tables[j]) v = EmpiricalRank(*tables[j], v);
        x[j] = v - shift[j];
        sum[j] += x[j];
      }
      for (std::size_t i = 0; i < nn; ++i) {
        double xi = x[i];
        double* row = cross.data() + i * nn;
        for (std::size_t j = i; j < nn; ++j) row[j] += xi * x[j];
      }
    }
    r += take;
  }
  ::close(fd);
  return ok;
}

}  // namespace

bool ComputeRunCorrelations(const SampleStore& store, int correlationKind, bool inputSamples,
                            std::vector<float>& matrix) {
  const int n = store.RecordWidth();
  const int64_t N = store.Records();
  matrix.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.0f);
  for (int i = 0; i < n; ++i) matrix[static_cast<std::size_t>(i) * n + i] = 1.0f;
  if (n == 0 || N < 2) return true;

  const bool rank = correlationKind == 2;
  const std::size_t nn = static_cast<std::size_t>(n);
  std::vector<const std::vector<double>*> tables(nn, nullptr);
  if (rank) tables = RankTables(store, n);
  std::vector<double> sum, cross;
  if (!SumCrossProducts(store, rank, tables, sum, cross)) return false;
  // Centred sums of squares and cross products.
  const double dn = static_cast<double>(N);
  for (std::size_t i = 0; i < nn; ++i)
    for (std::size_t j = i; j < nn; ++j) cross[i * nn + j] -= sum[i] * sum[j] / dn;
  std::vector<bool> degenerate(static_cast<std::size_t>(n), false);
  for (int j = 0; j < n; ++j) {
    double variance = cross[static_cast<std::size_t>(j) * n + j] / static_cast<double>(N - 1);
    // A column of non-finite values (an overflowing formula) correlates
    // with nothing, like a constant one.
    degenerate[static_cast<std::size_t>(j)] = !(variance >= 1e-12 && std::isfinite(variance)) ||
                                              (!inputSamples && DegenerateNodeColumn(j + 1));
  }
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      double r = 0.0;
      if (!degenerate[static_cast<std::size_t>(i)] && !degenerate[static_cast<std::size_t>(j)]) {
        double cij = cross[static_cast<std::size_t>(i) * n + j];
        double vi = cross[static_cast<std::size_t>(i) * n + i];
        double vj = cross[static_cast<std::size_t>(j) * n + j];
        r = cij / (std::sqrt(vi) * std::sqrt(vj));
        r = std::isfinite(r) ? std::clamp(r, -1.0, 1.0) : 0.0;
      }
      matrix[static_cast<std::size_t>(i) * n + j] = static_cast<float>(r);
      matrix[static_cast<std::size_t>(j) * n + i] = static_cast<float>(r);
    }
  }
  return true;
}

}  // namespace tesmira
