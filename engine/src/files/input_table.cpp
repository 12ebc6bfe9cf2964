#include "files/input_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>

#include "files/buffered_file.h"
#include "model/file_names.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "text/value_text.h"

namespace tesmira {

InputSampleTable& RunInputTable() {
  static InputSampleTable table;
  return table;
}

InputSampleTable::~InputSampleTable() {
  if (fd_ >= 0) ::close(fd_);
}

bool InputSampleTable::Convert(const std::string& probabilityName, const TSampleList& inputs,
                               const TSampleList& outputs, TextLineReader& sam, int32_t samples) {
  Delete();
  std::string probFile = probabilityName;
  if (LowerCase(probabilityName).find(".prb") == std::string::npos) {
    std::string_view file = FilePart(probabilityName);
    probFile = ModelFolderText() + std::string(BaseNameOf(file)) + ".PRB";
  }
  std::replace(probFile.begin(), probFile.end(), '\\', '/');
  probFile = FindFileNoCase(probFile);
  if (samples < 1 || probFile.empty()) return false;
  if (inputs.count < 1 && outputs.count < 1) return false;  // no columns: nothing to draw
  std::string_view probPart = FilePart(probFile);
  path_ = ModelFolderText() + std::string(BaseNameOf(probPart)) + ".TPP";
  width_ = std::clamp<int>(inputs.count, 0, MaxSampleListEntries) +
           std::clamp<int>(outputs.count, 0, MaxSampleListEntries);
  samples_ = samples;
  BufferedFile out;
  if (out.Replace(path_) != 0) return false;
  bool ok = true;
  std::string_view line;
  const int64_t values = static_cast<int64_t>(samples) * width_;
  for (int64_t v = 0; v < values; ++v) {
    double x = 0;
    if (!sam.ReadLine(line) || !ParseNumberField(line, x)) {
      ok = false;
      break;
    }
    float f = static_cast<float>(x);
    out.Write(&f, 4);
  }
  // The cumulative probabilities (only for samples that were all read, so
  // that a header announcing more samples than the file holds allocates
  // nothing beyond the file's size).
  TextLineReader prob;
  if (!ok) samples_ = samples = 1;
  cumulative_.assign(static_cast<std::size_t>(samples), 1.0f);
  if (ok && prob.Open(probFile)) {
    double sum = 0;
    int32_t k = 0;
    while (k < samples && prob.ReadLine(line)) {
      std::string text(line);  // ParseNumberField ignores the blanks around it
      std::replace(text.begin(), text.end(), ',', '.');
      double p = 0;
      if (!ParseNumberField(text, p)) continue;
      sum += p;
      cumulative_[static_cast<std::size_t>(k++)] =
          sum > 0.99999999 ? 1.0f : static_cast<float>(sum);
    }
  } else {
    ok = false;
  }
  cumulative_.back() = 1.0f;
  out.Write(cumulative_.data(), cumulative_.size() * 4);
  if (!out.Close()) ok = false;
  fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) ok = false;
  record_.assign(static_cast<std::size_t>(width_), 0.0f);
  return ok;
}

int32_t InputSampleTable::Draw(double u, const TSampleList& fileInputs,
                               const TSampleList& fileOutputs, TSampleList& runInputs,
                               TSampleList& runOutputs, bool withOutputs) {
  if (fd_ < 0 || samples_ < 1) return 0;
  float uf = static_cast<float>(u);
  auto it = std::lower_bound(cumulative_.begin(), cumulative_.end(), uf);
  int32_t c =
      it == cumulative_.end() ? samples_ : static_cast<int32_t>(it - cumulative_.begin()) + 1;
  std::size_t bytes = static_cast<std::size_t>(width_) * 4;
  off_t offset = static_cast<off_t>(c - 1) * static_cast<off_t>(bytes);
  if (bytes > 0 && ::pread(fd_, record_.data(), bytes, offset) != static_cast<ssize_t>(bytes))
    return 0;
  int inCount = std::clamp<int>(fileInputs.count, 0, MaxSampleListEntries);
  int outCount = std::clamp<int>(fileOutputs.count, 0, MaxSampleListEntries);
  auto store = [](TSampleList& run, int target, float value) {
    if (target >= 1 && target <= std::clamp<int>(run.count, 0, MaxSampleListEntries))
      SetEntryValue(run.entries[target - 1], value);
  };
  for (int i = 0; i < inCount && i < width_; ++i)
    store(runInputs, fileInputs.entries[i].objectIndex, record_[static_cast<std::size_t>(i)]);
  if (withOutputs)
    for (int i = 0; i < outCount && inCount + i < width_; ++i)
      store(runOutputs, fileOutputs.entries[i].objectIndex,
            record_[static_cast<std::size_t>(inCount + i)]);
  return c;
}

void InputSampleTable::Delete() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!path_.empty()) std::remove(path_.c_str());
  path_.clear();
  samples_ = 0;
  cumulative_.clear();
}

}  // namespace tesmira
