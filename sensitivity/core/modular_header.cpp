#include "modular_header.h"

#include <QtCore/QFile>
#include <QtCore/QXmlStreamReader>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "settings.h"

namespace tesvane {

namespace fs = std::filesystem;

namespace {

struct THeaderVariable {
  std::map<std::string, std::string> Fields;  // first child element of each name
};

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

int32_t ParseHeaderInteger(const std::string& text, const std::string& element,
                           const std::string& fileName) {
  int32_t v = 0;
  if (!ParseInt32(Trimmed(text), v))
    throw ESensitivityError("The format of file " + fileName + " is not correct: \"" + text +
                            "\" in <" + element + "> is not an integer");
  return v;
}

fs::path FindWithoutCase(const fs::path& folder, const fs::path& relative) {
  fs::path candidate = folder / relative;
  std::error_code ec;
  if (fs::exists(candidate, ec)) return candidate;
  fs::path parent = candidate.parent_path();
  const std::string wanted = candidate.filename().string();
  if (fs::is_directory(parent, ec)) {
    for (const auto& entry : fs::directory_iterator(parent, ec))
      if (SameTextAscii(entry.path().filename().string(), wanted)) return entry.path();
  }
  return {};
}

}  // namespace

std::string ResolveBinaryPath(const std::string& headerPath, const std::string& binaryName) {
  std::string name = binaryName;
  for (char& c : name)
    if (c == '\\') c = '/';
  fs::path p(name);
  if (p.is_absolute()) return name;
  fs::path folder = fs::path(headerPath).parent_path();
  if (folder.empty()) folder = ".";
  fs::path found = FindWithoutCase(folder, p);
  if (found.empty()) found = FindWithoutCase(".", p);
  return found.empty() ? (folder / p).string() : found.string();
}

void ReadBinarySingles(float* buffer, int64_t high, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ESensitivityError("Cannot open the binary sample file " + path);
  std::error_code ec;
  const uintmax_t size = fs::file_size(path, ec);
  if (ec || size / 4 != static_cast<uintmax_t>(high + 1))
    throw ESensitivityError(
        "The size of the array passed in must equal the number of records in the file: " + path);
  constexpr int64_t Block = 32768;
  std::vector<unsigned char> bytes(static_cast<size_t>(Block) * 4);
  int64_t done = 0;
  const int64_t total = high + 1;
  while (done < total) {
    const int64_t count = std::min(Block, total - done);
    in.read(reinterpret_cast<char*>(bytes.data()), count * 4);
    if (in.gcount() != count * 4)
      throw ESensitivityError("Error reading block from binary file: " + path);
    for (int64_t i = 0; i < count; ++i) {
      const unsigned char* b = bytes.data() + 4 * i;
      const uint32_t u = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
      float f;
      std::memcpy(&f, &u, sizeof f);
      buffer[done + i] = f;
    }
    done += count;
  }
}

namespace {

// What the XML of a header holds, before it is checked.
struct THeaderXml {
  bool HaveRoot = false, HaveCount = false;
  std::string CountText;  // of the first <number_of_samples>
  std::vector<THeaderVariable> Variables;
};

THeaderXml ParseHeaderXml(const std::string& fileName) {
  QFile file(QString::fromStdString(fileName));
  if (!file.open(QIODevice::ReadOnly)) throw ESensitivityError("Cannot open the file " + fileName);
  QXmlStreamReader xml(&file);
  THeaderXml header;
  // Depth 1: the root; depth 2: its children; depth 3: a variable's children.
  int depth = 0;
  bool inVariable = false;
  while (!xml.atEnd()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::StartElement) {
      ++depth;
      const std::string name = xml.name().toString().toStdString();
      if (depth == 1) {
        header.HaveRoot = true;
      } else if (depth == 2 && name == "number_of_samples") {
        const std::string text =
            xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString();
        --depth;
        if (!header.HaveCount) {
          header.HaveCount = true;
          header.CountText = text;
        }
      } else if (depth == 2 && name == "random_variable") {
        header.Variables.emplace_back();
        inVariable = true;
      } else if (depth == 3 && inVariable) {
        const std::string text =
            xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString();
        --depth;
        header.Variables.back().Fields.emplace(name, text);
      }
    } else if (token == QXmlStreamReader::EndElement) {
      if (depth == 2) inVariable = false;
      --depth;
    }
  }
  if (xml.hasError())
    throw ESensitivityError("The format of file " + fileName +
                            " is not correct: " + xml.errorString().toStdString() + " (line " +
                            std::to_string(xml.lineNumber()) + ")");
  return header;
}

// The sample count of a parsed header; raises when the header lacks a part.
int32_t CheckedSampleCount(const THeaderXml& header, const std::string& fileName) {
  if (!header.HaveRoot)
    throw ESensitivityError("The format of file " + fileName + " is not correct: no root element");
  if (!header.HaveCount)
    throw ESensitivityError("The format of file " + fileName +
                            " is not correct: no <number_of_samples>");
  const int32_t sampleCount = ParseHeaderInteger(header.CountText, "number_of_samples", fileName);
  if (sampleCount < 1) throw ESensitivityError("The file " + fileName + " holds no samples");
  if (header.Variables.empty())
    throw ESensitivityError("The file " + fileName + " names no random variable");
  return sampleCount;
}

TRandVarList HeaderVariables(std::vector<THeaderVariable>& variables, const std::string& fileName) {
  static const char* const Required[] = {"name", "description", "is_functional", "type",
                                         "binary_sample_filename"};
  TRandVarList all;
  for (size_t i = 0; i < variables.size(); ++i) {
    auto& f = variables[i].Fields;
    for (const char* r : Required)
      if (f.count(r) == 0)
        throw ESensitivityError("The format of file " + fileName +
                                " is not correct: random variable " + std::to_string(i + 1) +
                                " has no <" + r + ">");
    all.Add(std::make_shared<TRandomVariable>(
        static_cast<int32_t>(i), f["name"], f["description"],
        ParseHeaderInteger(f["is_functional"], "is_functional", fileName),
        ParseHeaderInteger(f["type"], "type", fileName), f["binary_sample_filename"]));
  }
  return all;
}

// The binary files of the variables, each checked to hold sampleCount values
// before anything is allocated for it.
std::vector<std::string> CheckedBinaryPaths(const TRandVarList& variables, int32_t sampleCount,
                                            const std::string& fileName) {
  std::vector<std::string> paths(static_cast<size_t>(variables.Count()));
  for (size_t i = 0; i < paths.size(); ++i) {
    paths[i] = ResolveBinaryPath(fileName, variables[static_cast<int32_t>(i)].BinaryFileName);
    std::error_code ec;
    const uintmax_t size = fs::file_size(paths[i], ec);
    if (ec) throw ESensitivityError("Cannot open the binary sample file " + paths[i]);
    if (size / 4 != static_cast<uintmax_t>(sampleCount))
      throw ESensitivityError(
          "The size of the array passed in must equal the number of records in the file: " +
          paths[i]);
  }
  return paths;
}

// Reads variable i of `loaded` from its binary file through `buffer` (one
// float per sample): samples, bounds and the distinct count.
void LoadBinaryVariable(TFileData& loaded, size_t i, const TRandomVariable& v,
                        const std::string& path, std::vector<float>& buffer) {
  const int32_t sampleCount = loaded.SampleCount;
  ReadBinarySingles(buffer.data(), sampleCount - 1, path);
  std::vector<double>& row = loaded.Samples[i];
  row.resize(static_cast<size_t>(sampleCount));
  double lo = buffer[0], hi = buffer[0];
  std::set<float> distinct;
  const bool counting = v.VarType != 0;
  for (int32_t j = 0; j < sampleCount; ++j) {
    const float f = buffer[static_cast<size_t>(j)];
    if (!std::isfinite(f))
      throw ESensitivityError("The binary sample file " + path +
                              " holds a value that is not a finite number");
    if (counting && distinct.size() <= static_cast<size_t>(DiscreteThreshold))
      distinct.insert(f == 0.0f ? 0.0f : f);
    const double d = f;
    row[static_cast<size_t>(j)] = d;
    if (d < lo)
      lo = d;
    else if (d > hi)
      hi = d;
  }
  loaded.MinValues[i] = lo;
  loaded.MaxValues[i] = hi;
  loaded.DistinctCounts[i] =
      counting ? static_cast<int32_t>(distinct.size()) : DiscreteThreshold + 1;
}

}  // namespace

bool ReadModularSampleHeader(TFileData& store, const TIntList* selection, TReaderHost& host) {
  const std::string fileName = store.FileName;
  struct TGuard {
    TReaderHost& h;
    bool active = false;
    ~TGuard() {
      if (active) {
        h.SetBusyCursor(false);
        h.ShowProgress(false);
        h.SetStatus("Ready to perform calculations");
      }
    }
  } guard{host};

  THeaderXml header = ParseHeaderXml(fileName);
  const int32_t sampleCount = CheckedSampleCount(header, fileName);
  const TRandVarList all = HeaderVariables(header.Variables, fileName);
  std::vector<int32_t> chosen = SelectVariablesOnLoad(all, selection, host, fileName);
  TRandVarList loadedVariables = CopySelectedVariables(all, chosen);
  const size_t varCount = chosen.size();

  host.SetProgress(0);
  host.ShowProgress(true);
  host.SetStatus("Loading samples");
  host.SetBusyCursor(true);
  guard.active = true;

  const std::vector<std::string> paths = CheckedBinaryPaths(loadedVariables, sampleCount, fileName);
  TFileData loaded;
  loaded.FileName = fileName;
  loaded.VarCount = static_cast<int32_t>(varCount);
  loaded.SampleCount = sampleCount;
  loaded.DistinctCounts.assign(varCount, 0);
  loaded.MinValues.assign(varCount, 0.0);
  loaded.MaxValues.assign(varCount, 0.0);
  loaded.Samples.resize(varCount);
  std::vector<float> buffer(static_cast<size_t>(sampleCount));
  for (size_t i = 0; i < varCount; ++i) {
    const TRandomVariable& v = loadedVariables[static_cast<int32_t>(i)];
    loaded.Names.push_back(v.Name);
    LoadBinaryVariable(loaded, i, v, paths[i], buffer);
    host.SetProgress(static_cast<int32_t>(i * 100 / varCount));
  }
  loaded.Variables = std::move(loadedVariables);
  store = std::move(loaded);
  return true;
}

}  // namespace tesvane
