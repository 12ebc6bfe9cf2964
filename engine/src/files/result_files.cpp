#include "files/result_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "files/buffered_file.h"
#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "tesmira/model.h"

namespace tesmira {

// ---- compressed rows -----------------------------------------------------------------

std::vector<float> CompressCorrRow(const float* values, int count) {
  std::vector<float> out;
  int j = 0;
  while (j < count) {
    float v = values[j++];
    out.push_back(v);
    int c = 0;
    while (j + c < count &&
           std::fabs(static_cast<double>(values[j + c]) - static_cast<double>(v)) < 0.001)
      ++c;
    if (c >= 2) {
      out.push_back(static_cast<float>(c));
      j += c;
    }
  }
  return out;
}

int ExpandCorrRow(const float* row, int singles, float* buffer, int first, int capacity) {
  int j = first;
  float last = 0.0f;
  for (int s = 0; s < singles && j < capacity; ++s) {
    float v = row[s];
    if (!(v > 1.9f)) {  // a value (also a NaN, which is no count)
      buffer[j++] = v;
      last = v;
    } else {
      long c = std::lround(std::min(v, 2000.0f));
      for (long r = 0; r < c && j < capacity; ++r) buffer[j++] = last;
    }
  }
  return j - first;
}

// ---- the run's correlations ------------------------------------------------------------

namespace {

struct CorrState {
  bool ready = false;
  int n = 0;
  std::vector<float> matrix;  // n x n, row-major, 0-based
  std::vector<float> rowOut = std::vector<float>(MaxSampleColumns);
  float expanded[MaxSampleColumns + 2] = {};
  int expandedRow = 0;  // the row held in expanded, 0 for none
  CorrRowReader reader = nullptr;
  SampleStore* store = nullptr;
  bool keepStore = false;
};

CorrState& C() {
  static CorrState state;
  return state;
}

// The compressed row i (1-based) of the run's matrix.
std::vector<float> RunRow(int i) {
  CorrState& c = C();
  const float* values = c.matrix.data() + static_cast<std::size_t>(i - 1) * c.n + i;
  return CompressCorrRow(values, c.n - i);
}

bool WriteBytes(const std::string& path, const void* data, std::size_t size) {
  BufferedFile f;
  if (f.Replace(path) != 0) return false;
  f.Write(data, size);
  return f.Close();
}

void SetShort8(unsigned char (&s)[9], std::string_view text) { SetShortString(s, 8, text); }

}  // namespace

void ResetRunCorrelations() {
  CorrState& c = C();
  c.ready = false;
  c.n = 0;
  c.matrix.clear();
  c.store = nullptr;
  c.expandedRow = 0;
}

void SetCorrDataSource(CorrRowReader reader) { C().reader = reader; }

namespace {

const TSampleList& ListOr(const TSampleList* list) {
  static const TSampleList kEmpty{};
  return list ? *list : kEmpty;
}

std::string LegacyName(const RunResultsSetup& s, const char* ext) {
  return s.folder + s.baseName + ext;
}

void WriteFailed(std::vector<std::string>& messages, const std::string& path) {
  messages.push_back("Failed to write result file " + path);
}

// The run's results record, and the ".SIM" copy of it.
void FillResultsRecord(const RunResultsSetup& s, TSampleData& data, int modelType,
                       std::vector<std::string>& messages) {
  std::memcpy(&data.inputs, &ListOr(s.inputs), sizeof(TSampleList));
  std::memcpy(&data.outputs, &ListOr(s.outputs), sizeof(TSampleList));
  data.requested = static_cast<int32_t>(std::clamp<int64_t>(s.planned, 0, INT32_MAX));
  data.accepted = static_cast<int32_t>(std::clamp<int64_t>(s.accepted, 0, INT32_MAX));
  data.modelType = static_cast<int16_t>(modelType);
  data.depType = static_cast<uint8_t>(NodeCount() > 0 ? NodeDepType(1) : 0);
  data.seed = static_cast<int16_t>(std::clamp<int32_t>(s.seed, -32768, 32767));
  data.resolution = static_cast<int16_t>(s.resolution);
  data.correlationKind = static_cast<uint8_t>(s.correlationKind);
  data.userQuantiles = s.userQuantileFlag ? 1 : 0;
  std::string modelName;
  std::string tag;
  if (TModelRecord* model = Model()) {
    std::string_view file = ShortStringView(model->fileName);
    modelName = std::string(file.substr(0, file.find('.')));
    tag = std::string(ShortStringView(model->designTag));
  }
  SetShort8(data.designTag, tag.empty() ? modelName : tag);
  SetShort8(data.modelName, modelName);
  SetShort8(data.sampleName, s.baseName);
  if (s.legacyFiles) {
    std::string path = LegacyName(s, ".SIM");
    if (!WriteBytes(path, &data, sizeof(TSampleData))) WriteFailed(messages, path);
  }
}

// ".CMM": the moments and the compressed correlation rows; ".QUA": the first
// 101 quantiles of every output entry as 6-byte reals.
void WriteLegacyMoments(const RunResultsSetup& s, std::vector<std::string>& messages) {
  CorrState& c = C();
  std::remove(LegacyName(s, ".CMM").c_str());
  std::remove(LegacyName(s, ".MOM").c_str());
  std::string path = LegacyName(s, ".CMM");
  BufferedFile f;
  if (f.Replace(path) == 0) {
    TSampleResults zero{};
    const TSampleResults& r = s.sampleResults ? *s.sampleResults : zero;
    f.Write(&r, 16000);
    if (c.ready)
      for (int i = 1; i <= c.n; ++i) {
        std::vector<float> row = RunRow(i);
        f.Write(row.data(), row.size() * 4);
      }
    if (!f.Close()) WriteFailed(messages, path);
  } else {
    WriteFailed(messages, path);
  }
  path = LegacyName(s, ".QUA");
  if (f.Replace(path) == 0) {
    DistributionSlots* d = DistributionSlotArray(true);
    int outCount = std::clamp<int>(ListOr(s.outputs).count, 0, MaxSampleListEntries);
    for (int k = 0; k < outCount; ++k) {
      uint8_t record[606] = {};
      if (d && !d->tables[k].empty())
        for (std::size_t q = 0; q < 101 && q < d->tables[k].size(); ++q)
          EncodeReal48(d->tables[k][q], record + 6 * q);
      f.Write(record, sizeof record);
    }
    if (!f.Close()) WriteFailed(messages, path);
  } else {
    WriteFailed(messages, path);
  }
}

// The ".TPS" kept for the belief-net hand-over holds the selected columns only.
void KeepSelectedColumns(const RunResultsSetup& s, std::vector<std::string>& messages) {
  const SampleStore& st = *s.store;
  int n = st.RecordWidth();
  std::vector<int> keep;
  for (int j = 1; j <= n; ++j)
    if (s.selection[j]) keep.push_back(j - 1);
  if (static_cast<int>(keep.size()) >= n) return;
  std::vector<SampleColumn> cols;
  if (!st.ReadColumns(0, n, cols)) {
    WriteFailed(messages, st.Path());
    return;
  }
  std::vector<float> rows;
  rows.reserve(static_cast<std::size_t>(st.Records()) * keep.size());
  for (int64_t r = 0; r < st.Records(); ++r)
    for (int j : keep)
      rows.push_back(cols[static_cast<std::size_t>(j)][static_cast<std::size_t>(r)]);
  if (!WriteBytes(st.Path(), rows.data(), rows.size() * 4)) WriteFailed(messages, st.Path());
}

}  // namespace

bool WriteRunResults(const RunResultsSetup& s, std::vector<std::string>& messages) {
  // The correlations belong to the model of the run: a new model forgets them.
  RegisterModelInitHook(&ResetRunCorrelations);
  RegisterModelReleaseHook(&ResetRunCorrelations);
  ResetRunCorrelations();
  CorrState& c = C();
  TSampleData* data = SampleDataBlock();
  const bool ok0 = data != nullptr;

  // ".USE"
  int modelType = GetModelType();
  if (s.legacyFiles && ListOr(s.outputs).count > 0 && s.userQuantileFlag && s.options != 1 &&
      (modelType <= 2 || modelType == ModelTypeZoziVor) && s.userQuantiles) {
    std::string path = LegacyName(s, ".USE");
    if (!WriteBytes(path, s.userQuantiles, sizeof(TUserQuantiles))) WriteFailed(messages, path);
  }
  // The results record.
  if (data) FillResultsRecord(s, *data, modelType, messages);
  // Correlations of every pair of stored columns.
  bool haveStore = s.store && !s.store->Path().empty();
  if (haveStore) {
    s.store->Finish();
    if (s.correlations) {
      c.n = s.store->RecordWidth();
      c.matrix.swap(*s.correlations);
      c.ready = c.matrix.size() == static_cast<std::size_t>(c.n) * static_cast<std::size_t>(c.n);
    } else {
      messages.push_back("Failed to read the sample store " + s.store->Path());
    }
  }
  if (s.legacyFiles) WriteLegacyMoments(s, messages);
  // The ".TPS": kept (with the selected columns only) for the belief-net
  // hand-over, deleted otherwise.
  c.keepStore = (s.options & 8) != 0;
  if (haveStore) {
    if (c.keepStore) {
      if (s.selection) KeepSelectedColumns(s, messages);
      s.store->Reset();
    } else {
      s.store->Delete();
    }
  }
  return ok0;
}

}  // namespace tesmira

using namespace tesmira;

extern "C" {

TESMIRA_API int32_t Compute_corr_data(int32_t i, void** row) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (row) *row = nullptr;
    CorrState& c = C();
    if (!InputSampleList() || !OutputSampleList() || !c.ready || i < 1 || i > c.n) return 0;
    std::vector<float> values = RunRow(i);
    std::copy(values.begin(), values.end(), c.rowOut.begin());
    if (row) *row = c.rowOut.data();
    return static_cast<int32_t>(values.size() * 4);
  });
}

TESMIRA_API double Get_sample_correlation(int32_t i, int32_t j) {
  return tesmira::Guarded<double>(0.0, [&]() -> double {
    if (i == j) return 1.0;
    if (Design2()) {
      int nodes = NodeCount();
      auto p = [&](int x) { return x >= 1 && x <= nodes ? ParentIndex(x) : 0; };
      auto vineType = [&](int x) {
        return x >= 1 && x <= nodes && NodeDepType(x) >= 1 && NodeDepType(x) <= 4;
      };
      auto vineBelowComposite = [&](int x) {
        return vineType(x) && p(x) > 0 && IsCompositeType(p(x));
      };
      const int pi = p(i), pj = p(j);
      // The parents are those of the pair as asked; the steps apply in turn.
      if (pj > 0 && p(pj) == i && vineBelowComposite(j)) j = pj;
      if (pi > 0 && p(pi) == j && vineBelowComposite(i)) i = pi;
      if (vineType(j) && pj > 0 && IsCompositeType(pj) && !vineType(i)) j = pj;
      if (vineType(i) && pi > 0 && IsCompositeType(pi) && !vineType(j)) i = pi;
      if (i == j) return 1.0;
    }
    int row = std::min(i, j), col = std::max(i, j);
    if (row < 1 || col > MaxSampleColumns) return 0.0;
    CorrState& c = C();
    float compressed[MaxSampleColumns];
    int32_t bytes = 0;
    bool have = false;
    if (c.reader) {
      have = c.reader(row, compressed, &bytes);
    } else if (c.ready && row <= c.n) {
      std::vector<float> r = RunRow(row);
      std::copy(r.begin(), r.end(), compressed);
      bytes = static_cast<int32_t>(r.size() * 4);
      have = true;
    }
    if (have) {
      int singles = std::clamp(bytes / 4, 0, static_cast<int>(MaxSampleColumns));
      std::fill(std::begin(c.expanded), std::end(c.expanded), 0.0f);
      ExpandCorrRow(compressed, singles, c.expanded, row + 1, MaxSampleColumns + 1);
      c.expandedRow = row;
    }
    // A row that could not be read is not answered from another row.
    if (c.expandedRow != row) return CorrUnavailable;
    return c.expanded[col];
  });
}

}  // extern "C"
