#include "model/sim_blocks.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "model/short_string.h"
#include "model/store.h"
#include "tesmira/model.h"

namespace tesmira {

// ---- codecs ------------------------------------------------------------------------

TExtended80 EncodeExtended(double value) {
  uint64_t bits = std::bit_cast<uint64_t>(value);
  uint16_t sign = static_cast<uint16_t>((bits >> 63) << 15);
  int exp = static_cast<int>((bits >> 52) & 0x7ff);
  uint64_t frac = bits & ((uint64_t{1} << 52) - 1);
  uint64_t mantissa = 0;
  int e80 = 0;
  if (exp == 0x7ff) {
    e80 = 0x7fff;
    mantissa = (uint64_t{1} << 63) | (frac << 11);
    if (frac != 0) mantissa |= uint64_t{1} << 62;  // quiet NaN
  } else if (exp == 0) {
    if (frac != 0) {
      int shift = std::countl_zero(frac) - 11;  // bring the top bit to bit 52
      frac <<= shift;
      e80 = 1 - 1023 - shift + 16383;
      mantissa = frac << 11;
    }
  } else {
    e80 = exp - 1023 + 16383;
    mantissa = (uint64_t{1} << 63) | (frac << 11);
  }
  TExtended80 out;
  for (int i = 0; i < 8; ++i) out.bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  uint16_t top = static_cast<uint16_t>(sign | e80);
  out.bytes[8] = static_cast<uint8_t>(top);
  out.bytes[9] = static_cast<uint8_t>(top >> 8);
  return out;
}

double DecodeExtended(const TExtended80& v) {
  uint64_t m = 0;
  for (int i = 0; i < 8; ++i) m |= static_cast<uint64_t>(v.bytes[i]) << (8 * i);
  uint16_t top = static_cast<uint16_t>(v.bytes[8] | (v.bytes[9] << 8));
  bool negative = top >> 15;
  int e80 = top & 0x7fff;
  uint64_t sign = negative ? uint64_t{1} << 63 : 0;
  // A normal value that a double holds exactly (the common case).
  if ((m >> 63) && (m & 0x7ff) == 0 && e80 >= 16383 - 1022 && e80 <= 16383 + 1023)
    return std::bit_cast<double>(sign | (static_cast<uint64_t>(e80 - 16383 + 1023) << 52) |
                                 ((m >> 11) & ((uint64_t{1} << 52) - 1)));
  if (e80 == 0x7fff) {
    if ((m << 1) == 0) return std::bit_cast<double>(sign | (uint64_t{0x7ff} << 52));
    return std::bit_cast<double>(sign | (uint64_t{0x7ff} << 52) | (uint64_t{1} << 51) |
                                 ((m << 1) >> 12));
  }
  if (m == 0) return negative ? -0.0 : 0.0;
  // value = m * 2^(E - 63) with E the unbiased exponent of bit 63.
  int shift = std::countl_zero(m);
  m <<= shift;
  int E = (e80 == 0 ? 1 : e80) - 16383 - shift;
  if (E > 1023) return std::bit_cast<double>(sign | (uint64_t{0x7ff} << 52));
  // Round the 64-bit mantissa to the 53 bits of a double (or fewer for a
  // subnormal result), to nearest even.
  int drop = 11;
  if (E < -1022) drop += -1022 - E;
  if (drop > 64) return negative ? -0.0 : 0.0;
  unsigned __int128 wide = m;
  uint64_t keep = drop == 64 ? 0 : static_cast<uint64_t>(wide >> drop);
  unsigned __int128 rem = wide & ((static_cast<unsigned __int128>(1) << drop) - 1);
  unsigned __int128 half = static_cast<unsigned __int128>(1) << (drop - 1);
  if (rem > half || (rem == half && (keep & 1))) ++keep;
  if (E < -1022) return std::bit_cast<double>(sign | keep);  // carries into the normal range
  if (keep >> 53) {
    keep >>= 1;
    ++E;
    if (E > 1023) return std::bit_cast<double>(sign | (uint64_t{0x7ff} << 52));
  }
  uint64_t bits =
      sign | (static_cast<uint64_t>(E + 1023) << 52) | (keep & ((uint64_t{1} << 52) - 1));
  return std::bit_cast<double>(bits);
}

void EncodeReal48(double value, uint8_t out[6]) {
  std::memset(out, 0, 6);
  if (!(value == value) || value == 0.0) return;
  bool negative = value < 0;
  double a = std::fabs(value);
  int e;
  double frac = std::frexp(a, &e);  // a = frac * 2^e, frac in [0.5, 1)
  // a = 1.f * 2^(e-1): exponent byte = e - 1 + 129.
  int expByte = e + 128;
  uint64_t mant = 0;
  if (std::isfinite(a)) {
    double scaled = std::ldexp(frac, 40);  // 2^39 .. 2^40 with the hidden bit
    mant = static_cast<uint64_t>(std::nearbyint(scaled));
    if (mant >> 40) {
      mant >>= 1;
      ++expByte;
    }
  }
  if (expByte < 1) return;  // below the range: zero
  if (expByte > 255 || !std::isfinite(a)) {
    expByte = 255;
    mant = (uint64_t{1} << 40) - 1;
  }
  mant &= (uint64_t{1} << 39) - 1;
  out[0] = static_cast<uint8_t>(expByte);
  for (int i = 0; i < 5; ++i) out[1 + i] = static_cast<uint8_t>(mant >> (8 * i));
  if (negative) out[5] |= 0x80;
}

double DecodeReal48(const uint8_t in[6]) {
  if (in[0] == 0) return 0.0;
  uint64_t mant = 0;
  for (int i = 0; i < 5; ++i) mant |= static_cast<uint64_t>(in[1 + i]) << (8 * i);
  bool negative = mant >> 39;
  mant &= (uint64_t{1} << 39) - 1;
  double v = std::ldexp(1.0 + std::ldexp(static_cast<double>(mant), -39), in[0] - 129);
  return negative ? -v : v;
}

// ---- blocks ------------------------------------------------------------------------

namespace {

struct Blocks {
  TSampleList* inputs = nullptr;
  TSampleList* outputs = nullptr;
  TSampleData* data = nullptr;
  TUserQuantiles* quantiles = nullptr;
  TSampleResults* results = nullptr;
  DistributionSlots* slots[2] = {nullptr, nullptr};
  bool loading = false;
  bool linkedLoading = false;
  bool hooked = false;
};

Blocks& B() {
  static Blocks blocks;
  return blocks;
}

void EnsureHooks() {
  if (B().hooked) return;
  B().hooked = true;
  RegisterModelInitHook(&FreeSimulationBlocks);
  RegisterModelReleaseHook(&FreeSimulationBlocks);
}

template <class T>
T* NewZeroed() {
  void* p = std::calloc(1, sizeof(T));
  return static_cast<T*>(p);
}

void InitUserQuantileEntry(TUserQuantileEntry& e) {
  for (auto& pair : e.pairs) {
    pair.target = static_cast<float>(MissingValue);
    pair.value = 0.0f;
  }
  e.validCount = 0;
  e.unused = 0;
}

}  // namespace

TSampleList* InputSampleList() { return B().inputs; }
TSampleList* OutputSampleList() { return B().outputs; }
TSampleData* SampleDataBlock() { return B().data; }
TUserQuantiles* UserQuantileTable() { return B().quantiles; }
TSampleResults* SampleResultsBlock() { return B().results; }

TUserQuantiles* NewUserQuantiles(bool reset) {
  Blocks& b = B();
  if (!b.quantiles) {
    EnsureHooks();
    b.quantiles = NewZeroed<TUserQuantiles>();
    if (!b.quantiles) return nullptr;
    reset = true;
  }
  for (auto& e : b.quantiles->entries) {
    if (reset) {
      InitUserQuantileEntry(e);
    } else {
      for (auto& pair : e.pairs) pair.value = 0.0f;
    }
  }
  return b.quantiles;
}

bool AllocateSimulationBlocks() {
  Blocks& b = B();
  EnsureHooks();
  if (!b.inputs) b.inputs = NewZeroed<TSampleList>();
  if (!b.outputs) b.outputs = NewZeroed<TSampleList>();
  if (!b.data) b.data = NewZeroed<TSampleData>();  // requested count 0
  if (!b.quantiles) NewUserQuantiles(true);
  if (!b.results) b.results = NewZeroed<TSampleResults>();
  if (!b.slots[0]) InitDistributionSlots(false);
  if (!b.slots[1]) InitDistributionSlots(true);
  return b.inputs && b.outputs && b.data && b.quantiles && b.results && b.slots[0] && b.slots[1];
}

void FreeSimulationBlocks() {
  Blocks& b = B();
  std::free(b.inputs);
  std::free(b.outputs);
  std::free(b.data);
  std::free(b.quantiles);
  std::free(b.results);
  b.inputs = b.outputs = nullptr;
  b.data = nullptr;
  b.quantiles = nullptr;
  b.results = nullptr;
  FreeDistributionSlots(false);
  FreeDistributionSlots(true);
  b.loading = b.linkedLoading = false;
}

void ForgetSimulationBlock(int kind) {
  Blocks& b = B();
  switch (kind) {
    case ObjSampleData:
      std::free(b.data);
      b.data = nullptr;
      break;
    case ObjUserDistribution:
      std::free(b.quantiles);
      b.quantiles = nullptr;
      break;
    case ObjInputSample:
      std::free(b.inputs);
      b.inputs = nullptr;
      break;
    case ObjOutputSample:
      std::free(b.outputs);
      b.outputs = nullptr;
      break;
    case ObjSampleResults:
      std::free(b.results);
      b.results = nullptr;
      break;
    default: break;
  }
}

// ---- distribution tables ----------------------------------------------------------------

DistributionSlots* DistributionSlotArray(bool outputs) { return B().slots[outputs ? 1 : 0]; }

DistributionSlots* InitDistributionSlots(bool outputs) {
  DistributionSlots*& d = B().slots[outputs ? 1 : 0];
  if (!d) {
    EnsureHooks();
    d = new (std::nothrow) DistributionSlots();
    if (!d) return nullptr;
    for (auto& s : d->slots) s.table = 0;
  }
  for (int k = 0; k < MaxSampleListEntries; ++k) {
    d->maximum[k] = -1.7e308;
    d->minimum[k] = 1.1e308;
  }
  SyncSlotExtremes(*d);
  return d;
}

DistributionSlots* ResetDistributionSlots(bool outputs) {
  DistributionSlots* d = InitDistributionSlots(outputs);
  if (!d) return nullptr;
  for (auto& t : d->tables) std::vector<double>().swap(t);
  SyncSlotExtremes(*d);
  return d;
}

void FreeDistributionSlots(bool outputs) {
  DistributionSlots*& d = B().slots[outputs ? 1 : 0];
  delete d;
  d = nullptr;
}

void SyncSlotExtremes(DistributionSlots& d) {
  for (int k = 0; k < MaxSampleListEntries; ++k) {
    d.slots[k].maximum = EncodeExtended(d.maximum[k]);
    d.slots[k].minimum = EncodeExtended(d.minimum[k]);
    d.slots[k].table = d.tables[k].empty() ? 0 : k + 1;
  }
}

double* OutputDistribution(int k) {
  DistributionSlots* d = B().slots[1];
  if (!d || k < 1 || k > MaxSampleListEntries || d->tables[k - 1].empty()) return nullptr;
  return d->tables[k - 1].data();
}

int32_t DistributionBlockSize() { return (Resolution() + 1) * 8; }

// ---- sample lists -----------------------------------------------------------------

int SampleListPosition(const TSampleList& list, std::string_view name) {
  name = NameOf(name);
  int count = std::min<int>(std::max<int>(list.count, 0), MaxSampleListEntries);
  for (int i = 0; i < count; ++i) {
    std::string_view stored = ShortStringView(list.entries[i].name);
    if (SameName(stored, name)) return i + 1;
    if (stored.size() == 10 && name.size() > 10 && SameName(stored, name.substr(0, 10)))
      return i + 1;
  }
  return 0;
}

void ClearSampleList(TSampleList& list) { std::memset(&list, 0, sizeof list); }

void BuildInputSampleList(TSampleList& list) {
  ClearSampleList(list);
  int n = std::min(NodeCount(), static_cast<int>(MaxSampleListEntries));
  for (int i = 1; i <= n; ++i) {
    TSampleListEntry& e = list.entries[i - 1];
    SetShortString(e.name, LowerCase(NodeVariableName(NodeAt(i))));
    e.objectIndex = static_cast<int16_t>(i);
  }
  list.count = static_cast<int16_t>(n);
}

std::vector<int32_t> SampleColumnMap(void* const* objects, const TSampleList& inputs, bool zoziVor,
                                     const TSampleList* outputs) {
  std::vector<int32_t> map(MaxSampleColumns + 1, 0);
  int inCount = std::clamp<int>(inputs.count, 0, MaxSampleListEntries);
  std::vector<void*> list;
  if (objects) {
    for (int i = 0; i < MaxSampleColumns && objects[i]; ++i) list.push_back(objects[i]);
  } else {
    for (int i = 1; i <= VariableCount(); ++i) list.push_back(VariableAt(i));
    for (int i = 1; i <= FormulaCount(); ++i) list.push_back(FormulaAt(i));
  }
  for (std::size_t k = 1; k <= list.size() && k <= MaxSampleColumns; ++k) {
    void* obj = list[k - 1];
    int32_t position = 0;
    if (int v = VariableIndexOf(static_cast<TExtendedRandomVariable*>(obj)); v > 0) {
      position =
          SampleListPosition(inputs, LowerCase(ShortStringView(VariableAt(v)->distribution.name)));
    } else if (int f = FormulaIndexOf(static_cast<TUdf*>(obj)); f > 0) {
      position = inCount + f;
      if (outputs) {
        position = 0;
        int outCount = std::clamp<int>(outputs->count, 0, MaxSampleListEntries);
        for (int j = 0; j < outCount; ++j)
          if (outputs->entries[j].objectIndex == f) {
            position = inCount + j + 1;
            break;
          }
      }
    } else if (zoziVor) {
      position = static_cast<int32_t>(k);
    }
    map[k] = position;
  }
  return map;
}

// ---- loading flags ----------------------------------------------------------------

void SetModelLoading(bool loading, bool linkedLoading) {
  EnsureHooks();  // a new model clears the flags
  B().loading = loading;
  B().linkedLoading = linkedLoading;
}
bool ModelLoading() { return B().loading || B().linkedLoading; }

void MarkSamplesOutOfDate() {
  if (B().data) B().data->requested = 0;
}

}  // namespace tesmira
