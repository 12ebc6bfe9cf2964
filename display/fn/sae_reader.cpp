#include "fn/sae_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "ut/exception.h"
#include "ut/file.h"

namespace fn {
namespace {

const char kReadHeader[] = "SaeSampleFileReader::ReadHeader";
const char kLoadSortSamples[] = "SaeSampleFileReader::LoadSortSamples";

inline bool is_line_end(char c) { return c == '\r' || c == '\n'; }
inline bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// The end of the line that starts at p: the next CR or LF, or end.
inline const char* line_end(const char* p, const char* end) {
  const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
  if (!lf) lf = end;
  const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(lf - p)));
  return cr ? cr : lf;
}

// Skips white space, which passes line ends and blank lines.
inline const char* skip_space(const char* p, const char* end) {
  while (p != end && is_space(*p)) ++p;
  return p;
}

enum class Field { Ok, NotFinite };

// Reads the number at the start of the field [p, field_end) like strtod: 0 when
// the field holds none; the rest of the field is ignored.
inline Field read_field(const char* p, const char* field_end, float& out) {
  while (p != field_end && is_blank(*p)) ++p;
  if (p != field_end && *p == '+') {
    ++p;
    if (p != field_end && (*p == '-' || *p == '+')) {
      out = 0.0f;
      return Field::Ok;
    }
  }
  double v = 0.0;
  auto r = std::from_chars(p, field_end, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    long double wide = 0;
    auto rw = std::from_chars(p, field_end, wide, std::chars_format::general);
    if (rw.ec != std::errc() || std::fabs(wide) > 1) return Field::NotFinite;
    v = static_cast<double>(wide);
  } else if (r.ec != std::errc()) {
    v = 0.0;
  }
  if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) {
    return Field::NotFinite;
  }
  out = static_cast<float>(v);
  return Field::Ok;
}

}  // namespace

std::uint64_t SaeSampleFileReader::CountNonBlankLines(const char* p, const char* end) {
  std::uint64_t count = 0;
  for (;;) {
    p = skip_space(p, end);
    if (p == end) return count;
    ++count;
    p = line_end(p, end);
  }
}

SaeSampleFileReader::ParseResult SaeSampleFileReader::ParseSamples(
    const char* p, const char* end, std::size_t num_fields, const std::vector<float*>& targets,
    std::uint32_t count, const char** next) {
  ParseResult result;
  for (std::uint32_t s = 0; s < count; ++s) {
    p = skip_space(p, end);
    if (p == end) {
      result.bad_line = true;
      break;
    }
    const char* eol = line_end(p, end);
    std::size_t field = 0;
    const char* fs = p;
    for (;;) {
      const char* fe = static_cast<const char*>(std::memchr(fs, ',', static_cast<std::size_t>(eol - fs)));
      if (!fe) fe = eol;
      if (field < num_fields) {
        float* target = targets[field];
        if (target && read_field(fs, fe, target[s]) == Field::NotFinite) {
          result.not_finite = true;
          result.column = field;
          result.samples = s;
          if (next) *next = eol;
          return result;
        }
      }
      ++field;
      if (fe == eol) break;
      fs = fe + 1;
    }
    if (field != num_fields) {
      result.bad_line = true;
      break;
    }
    p = eol;
    result.samples = s + 1;
  }
  if (next) *next = p;
  return result;
}

bool SaeSampleFileReader::ReadLine(ut::String& line) {
  const char* begin = Buffer.get();
  const char* end = begin + Length;
  const char* p = skip_space(begin + Position, end);
  if (p == end) {
    Position = Length;
    return false;
  }
  const char* eol = line_end(p, end);
  line.assign(p, static_cast<std::size_t>(eol - p));
  Position = static_cast<std::size_t>(eol - begin);
  return true;
}

void SaeSampleFileReader::ReadHeader(const ut::String& path, RandVarPicker& picker) {
  {
    ut::File file(path, 0);
    std::uint64_t size = file.Size();
    if (size > std::numeric_limits<std::size_t>::max() - 2) {
      throw ut::Exception("Invalid SAE file format", kReadHeader);
    }
    Buffer = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size) + 2);
    Length = static_cast<std::size_t>(file.ReadBuf(Buffer.get(), size));
  }
  // Trailing white space goes; the text ends with exactly one CR LF.
  while (Length > 0 && is_space(Buffer[Length - 1]) && Buffer[Length - 1] != '\v' &&
         Buffer[Length - 1] != '\f') {
    --Length;
  }
  Buffer[Length++] = '\r';
  Buffer[Length++] = '\n';
  Position = 0;

  ut::String names;
  if (!ReadLine(names)) throw ut::Exception("Invalid SAE file format", kReadHeader);
  const ut::String comma(",");
  const int n = names.count_delimited_fields(comma);
  if (n == 0) throw ut::Exception("Invalid SAE file format", kReadHeader);
  for (int i = 0; i < n; ++i) {
    ut::String name;
    names.delimited_field(comma, i, name);
    name.trim();
    SampleSet.AddVariable(name, true);
    SampleSet.GetKeptIndices().insert(static_cast<std::size_t>(i));
  }
  SelectVariables(static_cast<std::size_t>(n), picker);
  SampleSet.SetCounts(static_cast<std::int32_t>(SampleSet.GetKeptIndices().size()), n, 0, 0);

  std::uint64_t lines = CountNonBlankLines(Buffer.get() + Position, Buffer.get() + Length);
  if (lines == 0) throw ut::Exception("Invalid SAE file format", kReadHeader);
  SampleSet.NumSamplesInFile = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(lines, std::numeric_limits<std::uint32_t>::max()));
  SampleSet.NumSamples = std::min(SampleSet.NumSamplesInFile, InitialSamples);
  FilePath = path;
}

void SaeSampleFileReader::LoadSortSamples() {
  const ut::SizeTSet& kept_set = SampleSet.GetKeptIndices();
  std::vector<std::size_t> kept(kept_set.begin(), kept_set.end());
  const std::uint32_t n = std::min(SampleSet.NumSamplesInFile, MaxSamples);
  SampleSet.NumSamples = n;
  const std::size_t columns = static_cast<std::size_t>(SampleSet.NumVariablesInFile());
  std::vector<float*> targets(columns, nullptr);
  const std::size_t nvars = SampleSet.NumVariables();
  for (std::size_t k = 0; k < nvars && k < kept.size(); ++k) {
    CTesploreVar& var = SampleSet.GetVariable(k);
    var.Resize(n);
    if (kept[k] < columns) targets[kept[k]] = var.GetSamples().data();
  }
  // The samples follow the names line; a second load reads them again from there.
  const char* begin = Buffer.get();
  const char* end = begin + Length;
  const char* data = begin;
  {
    const char* p = skip_space(begin, end);
    data = p == end ? end : line_end(p, end);
  }
  ParseResult r = ParseSamples(data, end, columns, targets, n, nullptr);
  if (r.not_finite) {
    ThrowNotFinite(r.samples + 1, SampleSet.GetVariable(static_cast<std::size_t>(
                                      std::find(kept.begin(), kept.end(), r.column) - kept.begin()))
                                      .GetName(),
                   kLoadSortSamples);
  }
  if (r.bad_line) {
    throw ut::Exception("Error reading sample line " + ut::int_to_string(r.samples + 1) +
                            " in the SAE file.",
                        kLoadSortSamples);
  }
  for (std::size_t k = 0; k < nvars; ++k) SampleSet.GetVariable(k).ComputeQuantiles();
}

}  // namespace fn
