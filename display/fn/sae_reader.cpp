#include "fn/sae_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "fn/number_text.h"
#include "ut/exception.h"

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
  const char* lf =
      static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
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

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool is_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The common case of a decimal number with at most 15 significant digits and a
// power of ten up to 22: the digits and the power are exact doubles, so one
// multiplication or division rounds exactly as strtod does. False, with p
// unchanged, for anything else.
inline bool read_simple_decimal(const char*& p, const char* end, double& value) {
  const char* q = p;
  bool negative = false;
  if (q != end && (*q == '-' || *q == '+')) negative = *q++ == '-';
  std::uint64_t digits = 0;
  int count = 0;  // significant digits taken
  int scale = 0;  // power of ten of the last digit taken
  bool any = false;
  while (q != end && is_digit(*q)) {
    any = true;
    if (digits != 0 || *q != '0') {
      if (++count > 15) return false;
      digits = digits * 10 + static_cast<unsigned>(*q - '0');
    }
    ++q;
  }
  if (q != end && *q == '.') {
    ++q;
    while (q != end && is_digit(*q)) {
      any = true;
      if (digits != 0 || *q != '0') {
        if (++count > 15) return false;
        digits = digits * 10 + static_cast<unsigned>(*q - '0');
      }
      --scale;
      ++q;
    }
  }
  if (!any) return false;
  if (q != end && (*q == 'e' || *q == 'E')) {
    const char* e = q + 1;
    bool exp_negative = false;
    if (e != end && (*e == '-' || *e == '+')) exp_negative = *e++ == '-';
    if (e != end && is_digit(*e)) {
      int exponent = 0;
      while (e != end && is_digit(*e)) {
        if (exponent > 10000) return false;
        exponent = exponent * 10 + (*e - '0');
        ++e;
      }
      scale += exp_negative ? -exponent : exponent;
      q = e;
    }  // else: "1e" reads as 1, the "e" is text after the number
  }
  double v = static_cast<double>(digits);
  if (digits != 0) {
    if (scale < -22 || scale > 22) return false;
    v = scale < 0 ? v / kPowersOfTen[-scale] : v * kPowersOfTen[scale];
  }
  value = negative ? -v : v;
  p = q;
  return true;
}

// Reads the number at p like strtod (within [p, field_end), which a number never
// crosses since it holds no comma or line end): 0 when there is none. p moves
// past the number; the text after it is the caller's to skip.
inline Field read_field(const char*& p, const char* field_end, float& out) {
  while (p != field_end && is_blank(*p)) ++p;
  double v = 0.0;
  const char* sign_end = p != field_end && (*p == '-' || *p == '+') ? p + 1 : p;
  NumberText hex_result = NumberText::Ok;
  if (field_end - sign_end >= 2 && sign_end[0] == '0' && (sign_end[1] | 0x20) == 'x' &&
      ParseHexDouble(p, field_end, v, hex_result)) {
    if (hex_result != NumberText::Ok) return Field::NotFinite;
  } else if (!read_simple_decimal(p, field_end, v)) {
    if (p != field_end && *p == '+') {
      ++p;
      if (p != field_end && (*p == '-' || *p == '+')) {
        out = 0.0f;
        return Field::Ok;
      }
    }
    const char* start = p;
    auto r = std::from_chars(p, field_end, v, std::chars_format::general);
    if (r.ec != std::errc::invalid_argument) p = r.ptr;
    if (r.ec == std::errc::result_out_of_range) {
      // Beyond the double: tiny numbers give 0, huge ones are refused.
      if (OutOfRangeValue(start, field_end, false, v) != NumberText::Ok) return Field::NotFinite;
    } else if (r.ec != std::errc()) {
      v = 0.0;
    }
  }
  if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) {
    return Field::NotFinite;
  }
  out = static_cast<float>(v);
  return Field::Ok;
}

constexpr std::size_t kChunk = 1 << 20;

// Hands out the file in regions of whole lines through one buffer; a line
// longer than the buffer makes it grow.
class LineChunks {
 public:
  explicit LineChunks(ut::File& file, std::uint64_t offset) : file_(file), offset_(offset) {
    buffer_.resize(kChunk);
  }

  // The next region [begin, end) of whole lines, and the file offset of begin;
  // false at the end of the file.
  bool Next(const char*& begin, const char*& end, std::uint64_t& offset) {
    std::memmove(buffer_.data(), buffer_.data() + carry_begin_, carry_length_);
    offset_ += carry_begin_;
    std::size_t length = carry_length_;
    carry_begin_ = carry_length_ = 0;
    for (;;) {
      if (!at_end_) {
        if (length == buffer_.size()) buffer_.resize(buffer_.size() * 2);
        std::uint64_t wanted = buffer_.size() - length;
        std::uint64_t got = file_.ReadBuf(buffer_.data() + length, wanted);
        if (got < wanted) at_end_ = true;
        length += static_cast<std::size_t>(got);
      }
      std::size_t cut = length;
      if (!at_end_) {
        while (cut > 0 && !is_line_end(buffer_[cut - 1])) --cut;
        if (cut == 0) continue;  // no line end yet: read more
      }
      if (cut == 0) return false;
      begin = buffer_.data();
      end = begin + cut;
      offset = offset_;
      carry_begin_ = cut;
      carry_length_ = length - cut;
      return true;
    }
  }

 private:
  ut::File& file_;
  std::uint64_t offset_;  // file offset of buffer_[0]
  std::vector<char> buffer_;
  std::size_t carry_begin_ = 0;
  std::size_t carry_length_ = 0;
  bool at_end_ = false;
};

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
    std::uint32_t count) {
  ParseResult result;
  for (std::uint32_t s = 0; s < count; ++s) {
    p = skip_space(p, end);
    if (p == end) {
      result.end_of_text = true;
      return result;
    }
    const char* eol = line_end(p, end);
    std::size_t field = 0;
    const char* fs = p;
    for (;;) {
      float* target = field < num_fields ? targets[field] : nullptr;
      if (target && read_field(fs, eol, target[s]) == Field::NotFinite) {
        result.not_finite = true;
        result.column = field;
        return result;
      }
      const char* fe = fs;
      if (fe == eol || *fe != ',') {
        fe = static_cast<const char*>(std::memchr(fs, ',', static_cast<std::size_t>(eol - fs)));
        if (!fe) fe = eol;
      }
      ++field;
      if (fe == eol) break;
      fs = fe + 1;
    }
    if (field != num_fields) {
      result.bad_line = true;
      return result;
    }
    p = eol;
    result.samples = s + 1;
  }
  return result;
}

SaeSampleFileReader::ParseResult SaeSampleFileReader::ReadSamples(
    ut::File& file, std::uint64_t offset, std::size_t num_fields,
    const std::vector<float*>& targets, std::uint32_t count) {
  file.Seek(offset);
  LineChunks chunks(file, offset);
  ParseResult total;
  std::vector<float*> shifted(targets.size());
  const char *begin, *end;
  std::uint64_t at;
  while (total.samples < count && chunks.Next(begin, end, at)) {
    for (std::size_t c = 0; c < targets.size(); ++c) {
      shifted[c] = targets[c] ? targets[c] + total.samples : nullptr;
    }
    ParseResult r = ParseSamples(begin, end, num_fields, shifted, count - total.samples);
    total.samples += r.samples;
    if (r.bad_line || r.not_finite) {
      total.bad_line = r.bad_line;
      total.not_finite = r.not_finite;
      total.column = r.column;
      return total;
    }
  }
  total.end_of_text = total.samples < count;
  return total;
}

void SaeSampleFileReader::ReadHeader(const ut::String& path, RandVarPicker& picker) {
  ut::File file(path, 0);
  LineChunks chunks(file, 0);
  const char *begin, *end;
  std::uint64_t offset;
  // The names line is the first line that holds more than white space.
  ut::String names;
  bool found = false;
  while (!found && chunks.Next(begin, end, offset)) {
    const char* p = skip_space(begin, end);
    if (p == end) continue;
    const char* eol = line_end(p, end);
    names.assign(p, static_cast<std::size_t>(eol - p));
    DataOffset = offset + static_cast<std::uint64_t>(eol - begin);
    found = true;
    // The samples in the rest of this region are counted below with the others.
    std::uint64_t lines = CountNonBlankLines(eol, end);
    std::uint64_t more = 0;
    while (chunks.Next(begin, end, offset)) more += CountNonBlankLines(begin, end);
    lines += more;
    const ut::String comma(",");
    // Split once: asking for field i walks the line from its start each time.
    std::vector<ut::String> fields = names.delimited_fields(comma);
    const int n = static_cast<int>(fields.size());
    // A names line without names, or without samples after it, has nothing to show.
    if (n == 0 || lines == 0) throw ut::Exception("Invalid SAE file format", kReadHeader);
    for (int i = 0; i < n; ++i) {
      ut::String& name = fields[static_cast<std::size_t>(i)];
      name.trim();
      SampleSet.AddVariable(name, true);
      SampleSet.GetKeptIndices().insert(static_cast<std::size_t>(i));
    }
    SelectVariables(static_cast<std::size_t>(n), picker);
    SampleSet.SetCounts(static_cast<std::int32_t>(SampleSet.GetKeptIndices().size()), n, 0, 0);
    SampleSet.NumSamplesInFile = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(lines, std::numeric_limits<std::uint32_t>::max()));
    SampleSet.NumSamples = std::min(SampleSet.NumSamplesInFile, InitialSamples);
  }
  if (!found) throw ut::Exception("Invalid SAE file format", kReadHeader);
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
  ut::File file(FilePath, 0);
  ParseResult r = ReadSamples(file, DataOffset, columns, targets, n);
  if (r.not_finite) {
    std::size_t k =
        static_cast<std::size_t>(std::find(kept.begin(), kept.end(), r.column) - kept.begin());
    ThrowNotFinite(r.samples + 1, SampleSet.GetVariable(k).GetName(), kLoadSortSamples);
  }
  if (r.bad_line || r.end_of_text) {
    throw ut::Exception(
        "Error reading sample line " + ut::int_to_string(r.samples + 1) + " in the SAE file.",
        kLoadSortSamples);
  }
  for (std::size_t k = 0; k < nvars; ++k) SampleSet.GetVariable(k).ComputeQuantiles();
}

}  // namespace fn
