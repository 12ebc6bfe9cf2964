#include "text_samples.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

#include "replacing_file.h"

namespace tesvane {

namespace fs = std::filesystem;

namespace {

bool IsBlank(char c) { return c > 0 && c <= ' '; }

// The lines of a text held in memory; a line ends at CR LF, LF or CR.
class TLineCursor {
 public:
  explicit TLineCursor(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const char* begin = text_.data() + pos_;
    const char* end = text_.data() + text_.size();
    const char* p = begin;
    while (p < end && *p != '\n' && *p != '\r') ++p;
    line = std::string_view(begin, static_cast<size_t>(p - begin));
    if (p < end) {
      if (*p == '\r') {
        ++p;
        if (p < end && *p == '\n') ++p;
      } else {
        ++p;
      }
    }
    pos_ = static_cast<size_t>(p - text_.data());
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

size_t CountLines(std::string_view text) {
  size_t n = 0;
  TLineCursor c(text);
  std::string_view l;
  while (c.Next(l)) ++n;
  return n;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The distinct texts of one variable, up to DiscreteThreshold + 1 of them,
// letter case not told apart.
class TDistinctTexts {
 public:
  void Add(std::string_view t) {
    if (items_.size() > static_cast<size_t>(DiscreteThreshold)) return;
    for (const auto& s : items_)
      if (SameTextAscii(s, t)) return;
    std::string s(t);
    std::transform(s.begin(), s.end(), s.begin(), LowerAscii);
    items_.push_back(std::move(s));
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }

 private:
  std::vector<std::string> items_;
};

std::string FileNameOnly(const std::string& path) {
  size_t p = path.find_last_of("/\\");
  return p == std::string::npos ? path : path.substr(p + 1);
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) return false;
  in.seekg(0, std::ios::beg);
  text.resize(static_cast<size_t>(size));
  if (size > 0) in.read(text.data(), size);
  return static_cast<bool>(in) || in.eof();
}

}  // namespace

std::vector<std::string> SplitNamesLine(std::string_view line) {
  std::vector<std::string> names;
  std::string piece;
  char quote = 0;
  auto flush = [&]() {
    size_t b = 0;
    while (b < piece.size() && IsBlank(piece[b])) ++b;
    std::string name = piece.substr(b);
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
        name.back() == name.front())
      name = name.substr(1, name.size() - 2);
    if (!name.empty()) names.push_back(std::move(name));
    piece.clear();
  };
  for (char c : line) {
    if (quote != 0) {
      if (c == quote) quote = 0;
      piece += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      piece += c;
    } else if (c == ',') {
      flush();
    } else {
      piece += c;
    }
  }
  flush();
  return names;
}

void SplitCommaText(std::string_view line, std::vector<std::string_view>& fields,
                    std::deque<std::string>& scratch) {
  fields.clear();
  scratch.clear();
  const char* p = line.data();
  const char* end = p + line.size();
  auto skipBlanks = [&]() {
    while (p < end && (IsBlank(*p) || *p == 0)) ++p;
  };
  skipBlanks();
  while (p < end) {
    if (*p == '"') {
      std::string s;
      ++p;
      while (p < end) {
        if (*p == '"') {
          if (p + 1 < end && p[1] == '"') {
            s += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        s += *p++;
      }
      scratch.push_back(std::move(s));
      fields.emplace_back(scratch.back());
    } else {
      const char* b = p;
      while (p < end && !IsBlank(*p) && *p != 0 && *p != ',') ++p;
      fields.emplace_back(b, static_cast<size_t>(p - b));
    }
    skipBlanks();
    if (p < end && *p == ',') {
      if (p + 1 == end) fields.emplace_back();
      ++p;
      skipBlanks();
    }
  }
}

bool ParseSampleValue(std::string_view text, double& value) {
  const char* b = text.data();
  const char* e = b + text.size();
  if (b < e && *b == '+') {
    ++b;
    if (b < e && (*b == '-' || *b == '+')) return false;
  }
  double v = 0;
  auto [ptr, ec] = std::from_chars(b, e, v);
  if (ec != std::errc() || ptr != e || !std::isfinite(v)) return false;
  value = v;
  return true;
}

namespace {

// The text of a sample file without a UTF-8 byte order mark; raises when it
// cannot be read.
std::string ReadSampleText(const std::string& fileName) {
  std::string text;
  if (!ReadWholeFile(fileName, text)) throw ESensitivityError("Cannot read the file " + fileName);
  if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
      static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
    text.erase(0, 3);
  return text;
}

// The chosen columns of a file as its rows are read: samples, bounds and
// distinct texts.
class TTextColumns {
 public:
  TTextColumns(std::vector<int32_t> columns, size_t rows)
      : Columns(std::move(columns)),
        Samples(Columns.size()),
        MinValues(Columns.size(), 0.0),
        MaxValues(Columns.size(), 0.0),
        Distinct(Columns.size()),
        values_(Columns.size()),
        maxColumn_(*std::max_element(Columns.begin(), Columns.end())) {
    for (auto& row : Samples) row.reserve(rows);
  }

  // A row with a value that is not a number is dropped whole: it enters
  // neither the samples nor the distinct counts nor the bounds. So is a row
  // without all the chosen columns.
  void Add(const std::vector<std::string_view>& fields, const std::string& fileName) {
    const size_t varCount = Columns.size();
    if (fields.size() < varCount || static_cast<int32_t>(fields.size()) <= maxColumn_) return;
    for (size_t k = 0; k < varCount; ++k)
      if (!ParseSampleValue(fields[static_cast<size_t>(Columns[k])], values_[k])) return;
    if (SampleCount == INT32_MAX)
      throw ESensitivityError("The file " + fileName + " holds too many samples");
    for (size_t k = 0; k < varCount; ++k) {
      Distinct[k].Add(fields[static_cast<size_t>(Columns[k])]);
      const double v = values_[k];
      if (SampleCount == 0) {
        MinValues[k] = MaxValues[k] = v;
      } else {
        if (v < MinValues[k]) MinValues[k] = v;
        if (v > MaxValues[k]) MaxValues[k] = v;
      }
      Samples[k].push_back(v);
    }
    ++SampleCount;
  }

  std::vector<int32_t> Columns;
  std::vector<std::vector<double>> Samples;
  std::vector<double> MinValues, MaxValues;
  std::vector<TDistinctTexts> Distinct;
  int32_t SampleCount = 0;

 private:
  std::vector<double> values_;
  int32_t maxColumn_;
};

// Reads the rows after the names line, reporting the progress through the
// lineCount lines of the file.
void ReadSampleRows(TLineCursor& cursor, size_t lineCount, TTextColumns& columns, TReaderHost& host,
                    const std::string& fileName) {
  std::string_view line;
  std::vector<std::string_view> fields;
  std::deque<std::string> scratch;
  int32_t lastPercent = 0;
  for (size_t i = 2; cursor.Next(line); ++i) {
    SplitCommaText(line, fields, scratch);
    columns.Add(fields, fileName);
    int32_t percent = static_cast<int32_t>((i - 1) * 100 / lineCount);
    if (percent != lastPercent) {
      lastPercent = percent;
      host.SetProgress(percent);
    }
  }
  if (columns.SampleCount == 0)
    throw ESensitivityError("The file " + fileName + " holds no samples");
}

}  // namespace

bool ReadTextSamples(TFileData& store, const TIntList* selection, TReaderHost& host) {
  const std::string fileName = store.FileName;
  std::error_code ec;
  if (fileName.empty() || !fs::is_regular_file(fileName, ec)) return false;

  struct TCursorGuard {
    TReaderHost& h;
    bool active = false;
    ~TCursorGuard() {
      if (active) {
        h.ShowProgress(false);
        h.SetBusyCursor(false);
      }
    }
  } guard{host};

  try {
    const std::string text = ReadSampleText(fileName);
    const size_t lineCount = CountLines(text);
    if (lineCount == 0) throw ESensitivityError("The file " + fileName + " is empty");
    TLineCursor cursor(text);
    std::string_view line;
    cursor.Next(line);
    std::vector<std::string> fileNames = SplitNamesLine(line);
    if (fileNames.empty())
      throw ESensitivityError("The first line of the file " + fileName +
                              " holds no variable names");
    TRandVarList all;
    for (size_t i = 0; i < fileNames.size(); ++i)
      all.Add(
          std::make_shared<TRandomVariable>(static_cast<int32_t>(i), fileNames[i], "", 2, 2, ""));
    TTextColumns columns(SelectVariablesOnLoad(all, selection, host, fileName), lineCount - 1);
    const size_t varCount = columns.Columns.size();

    host.SetProgress(0);
    host.ShowProgress(true);
    host.SetStatus("Loading samples");
    host.SetBusyCursor(true);
    guard.active = true;
    ReadSampleRows(cursor, lineCount, columns, host, fileName);

    TFileData loaded;
    loaded.FileName = fileName;
    loaded.Variables = CopySelectedVariables(all, columns.Columns);
    for (size_t k = 0; k < varCount; ++k)
      loaded.Names.push_back(fileNames[static_cast<size_t>(columns.Columns[k])]);
    loaded.VarCount = static_cast<int32_t>(varCount);
    loaded.SampleCount = columns.SampleCount;
    for (auto& row : columns.Samples) row.shrink_to_fit();
    loaded.Samples = std::move(columns.Samples);
    loaded.DistinctCounts.resize(varCount);
    for (size_t k = 0; k < varCount; ++k) loaded.DistinctCounts[k] = columns.Distinct[k].Count();
    loaded.MinValues = std::move(columns.MinValues);
    loaded.MaxValues = std::move(columns.MaxValues);
    store = std::move(loaded);

    host.ShowProgress(false);
    host.SetStatus("Ready to perform calculations");
    host.SetBusyCursor(false);
    guard.active = false;
    return true;
  } catch (const std::bad_alloc&) {
    host.ShowMessage(
        "There is no enough memory to store all the samples.\r\nConsider loading only selected "
        "variables (see Options).");
    return false;
  }
}

namespace {

// Reads a file line by line; a line ends at CR LF, LF or CR. Past the end
// every line reads as empty.
class TLineReader {
 public:
  explicit TLineReader(const std::string& path) : in_(path, std::ios::binary) {}
  bool IsOpen() const { return in_.is_open(); }
  bool Failed() const { return failed_; }
  bool AtEnd() {
    Fill();
    return pos_ >= len_;
  }
  // False at the end of the file (the line is then empty).
  bool ReadLine(std::string& line) {
    line.clear();
    if (AtEnd()) return false;
    while (true) {
      if (pos_ >= len_) {
        Fill();
        if (pos_ >= len_) return true;
      }
      char c = buf_[pos_++];
      if (c == '\n') return true;
      if (c == '\r') {
        Fill();
        if (pos_ < len_ && buf_[pos_] == '\n') ++pos_;
        return true;
      }
      line += c;
    }
  }

 private:
  void Fill() {
    if (pos_ < len_ || in_.eof() || failed_) return;
    in_.read(buf_, sizeof buf_);
    len_ = static_cast<size_t>(in_.gcount());
    pos_ = 0;
    if (in_.bad()) failed_ = true;
  }
  std::ifstream in_;
  char buf_[65536];
  size_t len_ = 0, pos_ = 0;
  bool failed_ = false;
};

// The decimal count at the start of a text (blanks before the digits skipped).
int64_t LeadingCount(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > INT32_MAX) v = INT32_MAX;
  }
  return v;
}

std::string_view BeforeFirstBlank(std::string_view line) {
  size_t p = line.find(' ');
  return p == std::string_view::npos ? line : line.substr(0, p);
}

// A ".sam" being read for conversion; a read that fails shows the message
// and returns false.
class TSamInput {
 public:
  TSamInput(const std::string& path, TReaderHost& host)
      : in_(path), host_(host), shortName_(FileNameOnly(path)) {}
  bool IsOpen() const { return in_.IsOpen(); }
  bool AtEnd() { return in_.AtEnd(); }
  const std::string& Line() const { return line_; }
  const std::string& ShortName() const { return shortName_; }

  // The next line (empty past the end).
  bool Next() {
    in_.ReadLine(line_);
    if (in_.Failed()) {
      host_.ShowError("File " + shortName_ + " is corrupt or has wrong format");
      return false;
    }
    return true;
  }

  // Appends up to count lines to text, separated by ", ". The end of the
  // file ends the list; the first line is read also there when
  // `firstAlways`.
  bool Join(int64_t count, std::string& text, bool firstAlways) {
    for (int64_t i = 0; i < count && ((firstAlways && i == 0) || !in_.AtEnd()); ++i) {
      if (!Next()) return false;
      if (i > 0) text += ", ";
      text += line_;
    }
    return true;
  }

 private:
  TLineReader in_;
  TReaderHost& host_;
  std::string shortName_;
  std::string line_;
};

// The names line of the ".sae": the input names, ", ", the output names.
// Sets perSample to the count of values of one sample.
bool ConvertNames(TSamInput& in, std::string& text, int64_t& perSample) {
  const int64_t inputs = LeadingCount(BeforeFirstBlank(in.Line()));
  // Missing lines read as empty; a count that runs past the end of the file
  // stops there instead of writing empty names or samples without end.
  if (!in.Join(inputs, text, false)) return false;
  text += ", ";
  if (!in.Next()) return false;
  const int64_t outputs = LeadingCount(in.Line());
  if (!in.Join(outputs, text, false)) return false;
  text += "\r\n";
  perSample = inputs + outputs;
  return true;
}

// One line of the ".sae" per sample, written to out a megabyte at a time;
// what is left stays in text.
bool ConvertSamples(TSamInput& in, int64_t perSample, std::string& text, std::ofstream& out,
                    TReaderHost& host, const std::string& saeName) {
  if (!in.Next()) return false;
  const int64_t samples = LeadingCount(BeforeFirstBlank(in.Line()));
  // Without names no line belongs to a sample: nothing is written for them
  // (the documented empty line per sample could be made endless by a count).
  for (int64_t s = 0; s < samples && perSample > 0 && !in.AtEnd(); ++s) {
    // A sample cut short by the end of the file ends there.
    if (!in.Join(perSample, text, true)) return false;
    text += "\r\n";
    if (text.size() >= (1u << 20)) {
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      text.clear();
      if (!out) {
        host.ShowError("Error writing output file " + saeName);
        return false;
      }
    }
  }
  return true;
}

// Moves an existing ".sae" aside to "<base>_bak.sae" (replacing an older
// backup); raises when it cannot be moved.
void KeepBackup(const fs::path& samPath, const fs::path& saePath) {
  std::error_code ec;
  if (!fs::exists(saePath, ec)) return;
  fs::path bakPath = samPath;
  bakPath.replace_extension();
  bakPath += "_bak.sae";
  fs::remove(bakPath, ec);
  fs::rename(saePath, bakPath, ec);
  if (ec)
    throw ESensitivityError("Cannot rename " + saePath.string() + " to " + bakPath.string() + ": " +
                            ec.message());
}

}  // namespace

bool ConvertSamToSae(const std::string& path, TReaderHost& host) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    host.ShowMessage("Error, file " + path + " does not exists!");
    return false;
  }
  fs::path samPath(path);
  fs::path saePath = samPath;
  saePath.replace_extension(".sae");
  TSamInput in(path, host);
  if (!in.IsOpen()) {
    host.ShowError("Cannot open input file " + in.ShortName());
    return false;
  }
  // Remarks before the first count line.
  do {
    if (!in.Next()) return false;
  } while (!in.Line().empty() && in.Line()[0] == ';');

  // Written beside the ".sae" and renamed over it when complete.
  common::TReplacingFile file(saePath.string());
  std::ofstream& out = file.Stream();
  const std::string saeName = saePath.string();
  if (!file.IsOpen() || !out) {
    host.ShowError("Error writing output file " + saeName);
    return false;
  }
  std::string text;
  int64_t perSample = 0;
  if (!ConvertNames(in, text, perSample)) return false;
  if (!ConvertSamples(in, perSample, text, out, host, saeName)) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  if (!out) {
    host.ShowError("Error writing output file " + saeName);
    return false;
  }
  // The previous ".sae" becomes the backup once the new one is complete.
  KeepBackup(samPath, saePath);
  std::string error;
  if (!file.Commit(error)) {
    host.ShowError("Error writing output file " + saeName);
    return false;
  }
  return true;
}

}  // namespace tesvane
