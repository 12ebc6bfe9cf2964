#include "files/sample_store.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "files/result_files.h"
#include "files/sample_files.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "text/value_text.h"

namespace tesmira {

// ---- large arrays -----------------------------------------------------------------

namespace {

std::size_t LargePages(std::size_t bytes) { return (bytes + (kLargePage - 1)) & ~(kLargePage - 1); }

}  // namespace

// Mapped with one page of slack so that an aligned run of whole pages fits,
// and the slack given back; the system then backs the range with 2 MB pages
// where it has them (and with small ones otherwise).
void* AllocateLarge(std::size_t bytes) {
  const std::size_t size = LargePages(bytes);
  if (size < bytes || size > std::size_t(-1) - kLargePage) throw std::bad_alloc();
  void* raw = ::mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + (kLargePage - 1)) & ~std::uintptr_t{kLargePage - 1};
  if (aligned > start) ::munmap(raw, aligned - start);
  const std::uintptr_t slackEnd = start + size + kLargePage;
  if (slackEnd > aligned + size)
    ::munmap(reinterpret_cast<void*>(aligned + size), slackEnd - (aligned + size));
  void* p = reinterpret_cast<void*>(aligned);
  ::madvise(p, size, MADV_HUGEPAGE);  // a hint: without it the pages are small
  return p;
}

void FreeLarge(void* p, std::size_t bytes) noexcept {
  if (p) ::munmap(p, LargePages(bytes));
}

// ---- the store -----------------------------------------------------------------

SampleStore& RunSampleStore() {
  static SampleStore store;
  return store;
}

bool SampleStore::Create(const std::string& path, int inputCount, int outputCount,
                         bool keepOutputs) {
  file_.Close();
  ResetRunCorrelations();
  path_ = path;
  inputCount_ = std::clamp(inputCount, 0, static_cast<int>(MaxSampleListEntries));
  outputCount_ = std::clamp(outputCount, 0, static_cast<int>(MaxSampleListEntries));
  keepOutputs_ = keepOutputs;
  records_ = 0;
  failed_ = file_.Create(path) != 0;
  return !failed_;
}

void SampleStore::Append(const TSampleList& inputs, const TSampleList& outputs) {
  if (!file_.IsOpen()) return;
  double in[MaxSampleListEntries], out[MaxSampleListEntries];
  for (int k = 0; k < inputCount_; ++k) in[k] = DecodeExtended(inputs.entries[k].value);
  if (keepOutputs_)
    for (int k = 0; k < outputCount_; ++k) out[k] = DecodeExtended(outputs.entries[k].value);
  Append(in, out);
}

void SampleStore::Append(const double* inputs, const double* outputs) {
  if (!file_.IsOpen()) return;
  int width = RecordWidth();
  char* p = file_.Reserve(static_cast<std::size_t>(width) * 4);
  DistributionSlots* din = DistributionSlotArray(false);
  DistributionSlots* dout = DistributionSlotArray(true);
  auto put = [&](double v, DistributionSlots* d, int k) {
    float f = static_cast<float>(v);
    std::memcpy(p, &f, 4);
    p += 4;
    if (d) {
      if (v > d->maximum[k]) d->maximum[k] = v;
      if (v < d->minimum[k]) d->minimum[k] = v;
    }
  };
  for (int k = 0; k < inputCount_; ++k) put(inputs[k], din, k);
  if (keepOutputs_)
    for (int k = 0; k < outputCount_; ++k) put(outputs[k], dout, k);
  if (!file_.Commit(p)) failed_ = true;
  ++records_;
}

bool SampleStore::Finish() {
  if (file_.IsOpen() && !file_.Flush()) failed_ = true;
  return !failed_;
}

void SampleStore::Delete() {
  file_.Close();
  if (!path_.empty()) std::remove(path_.c_str());
  Reset();
}

void SampleStore::Reset() {
  file_.Close();
  path_.clear();
  records_ = 0;
  inputCount_ = outputCount_ = 0;
  failed_ = false;
}

bool SampleStore::ReadColumns(int first, int count, std::vector<SampleColumn>& cols) const {
  int width = RecordWidth();
  if (first < 0 || count < 0 || first + count > width) return false;
  // Vectors of an earlier call keep their memory, and new ones are not
  // zero-filled: every value is overwritten.
  cols.resize(static_cast<std::size_t>(count));
  for (auto& c : cols) c.resize(static_cast<std::size_t>(records_));
  if (records_ == 0 || count == 0) return true;
  int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const std::size_t recordBytes = static_cast<std::size_t>(width) * 4;
  const int64_t chunkRecords = std::max<int64_t>(1, (1 << 22) / static_cast<int64_t>(recordBytes));
  SampleColumn buf(static_cast<std::size_t>(chunkRecords) * static_cast<std::size_t>(width));
  bool ok = true;
  for (int64_t r = 0; r < records_ && ok;) {
    int64_t take = std::min(chunkRecords, records_ - r);
    std::size_t bytes = static_cast<std::size_t>(take) * recordBytes;
    std::size_t got = 0;
    while (got < bytes) {
      ssize_t n = ::pread(
          fd, reinterpret_cast<char*>(buf.data()) + got, bytes - got,
          static_cast<off_t>(r * static_cast<int64_t>(recordBytes) + static_cast<int64_t>(got)));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = false;
        break;
      }
      got += static_cast<std::size_t>(n);
    }
    if (!ok) break;
    for (int64_t s = 0; s < take; ++s) {
      const float* rec = buf.data() + s * width + first;
      for (int c = 0; c < count; ++c)
        cols[static_cast<std::size_t>(c)][static_cast<std::size_t>(r + s)] = rec[c];
    }
    r += take;
  }
  ::close(fd);
  return ok;
}

// ---- sorting ----------------------------------------------------------------------

namespace {

// Memory of the results phase, kept from column to column and from the
// inputs' to the outputs' pass: fresh arrays of millions of values would cost
// their page faults again for every column.
struct ResultsScratch {
  std::vector<uint32_t, UninitializedAllocator<uint32_t>> keys, tmp;
  std::vector<uint32_t> first, copied;  // of the order statistics' bins
  std::vector<uint8_t> wanted;
  std::vector<SampleColumn> columns;
};

ResultsScratch& Scratch() {
  static ResultsScratch scratch;
  return scratch;
}

}  // namespace

void ReleaseResultsScratch() { Scratch() = ResultsScratch{}; }

namespace {

// Singles as unsigned keys in their ascending order, NaN (of any sign) last.
inline uint32_t SingleKey(float f) {
  const uint32_t b = std::bit_cast<uint32_t>(f);
  if (std::isnan(f)) return 0xffffffffu;
  return (b & 0x80000000u) ? ~b : (b | 0x80000000u);
}

inline float SingleOfKey(uint32_t k) {
  if (k == 0xffffffffu) return std::numeric_limits<float>::quiet_NaN();
  return std::bit_cast<float>((k & 0x80000000u) ? (k & 0x7fffffffu) : ~k);
}

// Sorts keys[0, n) by three passes of 11 bits through tmp; the sorted keys
// end in tmp (three swaps), so the caller reads them there.
void SortKeys(uint32_t* keys, uint32_t* tmp, std::size_t n) {
  for (int shift = 0; shift < 32; shift += 11) {
    std::size_t counts[2049] = {};
    for (std::size_t i = 0; i < n; ++i) ++counts[((keys[i] >> shift) & 2047u) + 1];
    for (int i = 0; i < 2048; ++i) counts[i + 1] += counts[i];
    for (std::size_t i = 0; i < n; ++i) tmp[counts[(keys[i] >> shift) & 2047u]++] = keys[i];
    std::swap(keys, tmp);
  }
}

void GrowScratch(ResultsScratch& scratch, std::size_t n) {
  if (scratch.keys.size() >= n) return;
  // Not zero-filled, and nothing of the last column copied over: every key
  // is written first.
  scratch.keys.clear();
  scratch.tmp.clear();
  scratch.keys.resize(n);
  scratch.tmp.resize(n);
}

}  // namespace

void SortSingles(std::span<float> values) {
  std::size_t n = values.size();
  if (n < 2048) {
    std::sort(values.begin(), values.end(), [](float a, float b) {
      if (std::isnan(a)) return false;
      if (std::isnan(b)) return true;
      return a < b;
    });
    return;
  }
  ResultsScratch& scratch = Scratch();
  GrowScratch(scratch, n);
  uint32_t* keys = scratch.keys.data();
  uint32_t* tmp = scratch.tmp.data();
  for (std::size_t i = 0; i < n; ++i) keys[i] = SingleKey(values[i]);
  SortKeys(keys, tmp, n);
  for (std::size_t i = 0; i < n; ++i) values[i] = SingleOfKey(tmp[i]);
}

// A column needs only a hundred or so of its order statistics. The top 16
// bits of the keys split it into bins in key order; one counting pass tells
// which bins the ranks fall in, and only the values of those bins are copied
// out and sorted. A full sort of a column of millions touched every value
// three times more, scattered over memory far larger than the caches.
void ValuesAtRanks(std::span<float> values, std::span<const int64_t> ranks, std::span<float> out) {
  constexpr std::size_t kBins = std::size_t{1} << 16;
  const std::size_t n = values.size();
  auto rankIndex = [n](int64_t r) {
    return static_cast<std::size_t>(std::clamp<int64_t>(r, 1, static_cast<int64_t>(n)) - 1);
  };
  if (n == 0) {
    std::fill(out.begin(), out.end(), std::numeric_limits<float>::quiet_NaN());
    return;
  }
  // Fewer values than bins are sorted whole: the bins would cost more.
  if (n < kBins || n > std::numeric_limits<uint32_t>::max()) {
    SortSingles(values);
    for (std::size_t i = 0; i < ranks.size(); ++i) out[i] = values[rankIndex(ranks[i])];
    return;
  }
  ResultsScratch& scratch = Scratch();
  // first[b]: how many keys lie below bin b; first[kBins] == n.
  std::vector<uint32_t>& first = scratch.first;
  first.assign(kBins + 1, 0);
  for (std::size_t i = 0; i < n; ++i) ++first[(SingleKey(values[i]) >> 16) + 1];
  for (std::size_t b = 0; b < kBins; ++b) first[b + 1] += first[b];
  auto binOf = [&first](std::size_t index) {
    // The last bin b with first[b] <= index: the one holding that index.
    return static_cast<std::size_t>(
        std::upper_bound(first.begin(), first.end(), static_cast<uint32_t>(index)) - first.begin() -
        1);
  };
  std::vector<uint8_t>& wanted = scratch.wanted;
  wanted.assign(kBins, 0);
  for (int64_t r : ranks) wanted[binOf(rankIndex(r))] = 1;
  // Where each wanted bin starts among the keys copied out.
  std::vector<uint32_t>& copied = scratch.copied;
  copied.resize(kBins);
  std::size_t m = 0;
  for (std::size_t b = 0; b < kBins; ++b) {
    if (!wanted[b]) continue;
    copied[b] = static_cast<uint32_t>(m);
    m += first[b + 1] - first[b];
  }
  GrowScratch(scratch, m + 1);
  uint32_t* keys = scratch.keys.data();
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const uint32_t key = SingleKey(values[i]);
    keys[k] = key;  // the slot past the last is spare
    k += wanted[key >> 16];
  }
  const uint32_t* sorted = keys;
  if (m < 2048) {
    std::sort(keys, keys + m);
  } else {
    SortKeys(keys, scratch.tmp.data(), m);
    sorted = scratch.tmp.data();
  }
  for (std::size_t i = 0; i < ranks.size(); ++i) {
    const std::size_t index = rankIndex(ranks[i]);
    const std::size_t b = binOf(index);
    out[i] = SingleOfKey(sorted[copied[b] + (index - first[b])]);
  }
}

// ---- empirical distributions -------------------------------------------------------

namespace {

// round(n * a) with halves to even, limited to 1..n.
int64_t RoundedRank(int64_t n, double a) {
  return static_cast<int64_t>(std::nearbyint(static_cast<double>(n) * a));
}

}  // namespace

bool WriteDistributionFile(const std::string& folder, const std::string& name,
                           const std::string& extension, const std::vector<double>& table,
                           std::vector<std::string>& messages) {
  if (name.empty() || table.size() < 2) return true;
  std::string ext = extension.empty() ? ".DIS" : extension;
  std::string path = folder + name + ext;
  BufferedFile f;
  int err = f.Replace(path);
  if (err == EACCES || err == EPERM || err == EROFS || err == ETXTBSY || err == EBUSY) {
    std::string alt = folder + name + ".tmp" + ext;
    messages.push_back("Distribution file " + name + ext + " is write-protected, " + name + ".tmp" +
                       ext + " is used instead");
    path = alt;
    err = f.Replace(path);
  }
  if (err != 0) {
    messages.push_back("Failed to create distribution file " + path);
    return false;
  }
  int r = static_cast<int>(table.size()) - 1;
  for (int i = 0; i <= r; ++i) {
    double label = i == 0 ? 25.0 / r : (i == r ? r - 25.0 / r : static_cast<double>(i));
    std::string line = FormatFixed(label, 2, 5);
    line += "  ";
    char buf[40];
    line.append(buf, FormatScientific(table[static_cast<std::size_t>(i)], 15, 4, buf));
    line += "\r\n";
    f.Write(line.data(), line.size());
  }
  if (!f.Close()) {
    messages.push_back("Failed to write distribution file " + path);
    return false;
  }
  return true;
}

namespace {
// The run's text for memory that could not be had.
constexpr const char* kNoMemoryMessage = "Initialization failure";
}  // namespace

bool BuildEmpiricalDistributions(const SampleStore& store, const TSampleList& list,
                                 const EmpiricalSetup& setup, std::vector<std::string>& messages) {
  DistributionSlots* d = DistributionSlotArray(setup.outputs);
  if (!d) {
    messages.push_back(kNoMemoryMessage);
    return false;
  }
  const int R = setup.resolution > 0 ? setup.resolution : 100;
  const int64_t N = store.Records();
  int count = std::clamp<int>(list.count, 0, MaxSampleListEntries);
  int first = setup.outputs ? store.InputCount() : 0;
  if (setup.outputs) {
    if (store.RecordWidth() == store.InputCount()) count = 0;  // outputs not kept
    count = std::min(count, store.OutputCount());
  } else {
    count = std::min(count, store.InputCount());
  }
  if (N <= 0) return true;
  // Columns in groups that fit a memory budget.
  const int64_t budget = int64_t{256} << 20;
  int group = static_cast<int>(std::clamp<int64_t>(budget / (N * 4), 1, 1000));
  std::vector<SampleColumn>& cols = Scratch().columns;
  std::vector<int64_t> ranks;
  std::vector<float> at;
  bool ok = true;
  for (int g = 0; g < count && ok; g += group) {
    int take = std::min(group, count - g);
    if (!store.ReadColumns(first + g, take, cols)) {
      messages.push_back("Failed to read the sample store " + store.Path());
      return false;
    }
    for (int c = 0; c < take; ++c) {
      int k = g + c;  // 0-based entry
      SampleColumn& v = cols[static_cast<std::size_t>(c)];
      // The ranks this entry needs: the table's steps, then the user
      // quantiles and the tails of a distribution file.
      TUserQuantileEntry* e =
          setup.outputs && setup.userQuantiles ? &setup.userQuantiles->entries[k] : nullptr;
      const int targets = e ? std::clamp<int>(e->validCount, 0, UserQuantileTargets) : 0;
      const bool tails = setup.outputs && setup.distributionFiles && R < N;
      std::vector<double> table;
      try {
        table.assign(static_cast<std::size_t>(R) + 1, 0.0);
        ranks.clear();
        for (int j = 1; j < R; ++j) ranks.push_back((static_cast<int64_t>(j) * N) / R);
        for (int t = 0; t < targets; ++t) ranks.push_back(RoundedRank(N, e->pairs[t].target));
        if (tails) {
          ranks.push_back(RoundedRank(N, 25.0 / R) / R);
          ranks.push_back(RoundedRank(N, R - 25.0 / R) / R);
        }
        at.resize(ranks.size());
      } catch (const std::bad_alloc&) {
        messages.push_back(kNoMemoryMessage);
        ok = false;
        break;
      }
      ValuesAtRanks(v, ranks, at);
      double lo = d->minimum[k], hi = d->maximum[k];
      table[0] = lo;
      table[static_cast<std::size_t>(R)] = hi;
      for (int j = 1; j < R; ++j)
        table[static_cast<std::size_t>(j)] =
            hi - lo == 0.0 ? hi : at[static_cast<std::size_t>(j - 1)];
      const auto more = static_cast<std::size_t>(R - 1);  // where the user quantiles start
      for (int t = 0; t < targets; ++t) e->pairs[t].value = at[more + static_cast<std::size_t>(t)];
      if (setup.outputs && setup.distributionFiles) {
        if (tails) {
          table[0] = at[more + static_cast<std::size_t>(targets)];
          table[static_cast<std::size_t>(R)] = at[more + static_cast<std::size_t>(targets) + 1];
        }
        int position = store.InputCount() + k + 1;
        bool selected = !setup.distributionSelection || setup.distributionSelection[position];
        if (selected)
          WriteDistributionFile(setup.folder, std::string(ShortStringView(list.entries[k].name)),
                                setup.extension, table, messages);
      }
      d->tables[k] = std::move(table);
      d->slots[k].table = k + 1;
    }
  }
  SyncSlotExtremes(*d);
  return ok;
}

}  // namespace tesmira
