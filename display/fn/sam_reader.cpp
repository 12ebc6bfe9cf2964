#include "fn/sam_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "fn/number_text.h"
#include "ut/exception.h"

namespace fn {
namespace {

const char kReadHeader[] = "SamSampleFileReader::ReadHeader";
const char kLoadSortSamples[] = "SamSampleFileReader::LoadSortSamples";

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

ut::String line_text(std::int32_t line) { return ut::int_to_string(line); }

}  // namespace

SamSampleFileReader::~SamSampleFileReader() {
  CloseFile();
  std::free(ReadBuffer);
}

void SamSampleFileReader::CloseFile() {
  if (File) std::fclose(File);
  File = nullptr;
}

bool SamSampleFileReader::ReadLine() {
  ++LineNumber;
  Position = 0;
  Line.clear();
  ssize_t got = ::getline(&ReadBuffer, &ReadBufferSize, File);
  if (got < 0) return false;
  Line.assign(ReadBuffer, static_cast<std::size_t>(got));
  return true;
}

bool SamSampleFileReader::SkipRemarks() {
  for (;;) {
    while (Position < Line.size() && is_space(Line[Position])) ++Position;
    if (Position < Line.size() && Line[Position] != ';') return true;
    if (!ReadLine()) return false;
  }
}

void SamSampleFileReader::ReadHeader(const ut::String& path, RandVarPicker& picker) {
  CloseFile();
  File = std::fopen(path.c_str(), "rb");
  // A folder opens for reading here but holds no lines.
  struct stat st;
  if (File && ::fstat(::fileno(File), &st) == 0 && S_ISDIR(st.st_mode)) CloseFile();
  if (!File) throw ut::Exception("Can't open sample file \"" + path + "\"", kReadHeader);
  LineNumber = 0;
  ColumnNames.clear();
  std::size_t column = 0;
  std::int64_t announced[2] = {0, 0};
  for (int section = 0; section < 2; ++section) {
    const char* kind = section == 0 ? "input" : "output";
    std::int64_t count = 0;
    bool ok = ReadLine() && SkipRemarks() &&
              ParseLeadingInteger(Line.data() + Position, Line.data() + Line.size(), count) ==
                  NumberText::Ok &&
              count >= 0;
    if (!ok) {
      throw ut::Exception(ut::String("Number of ") + kind + " variables expected in line " +
                              line_text(LineNumber) + ".",
                          kReadHeader);
    }
    announced[section] = count;
    for (std::int64_t i = 0; i < count; ++i) {
      if (!ReadLine() || !SkipRemarks()) {
        throw ut::Exception(ut::String("Name of ") + kind + " variable expected in line " +
                                line_text(LineNumber) + ".",
                            kReadHeader);
      }
      std::size_t end = Position;
      while (end < Line.size() && !is_space(Line[end])) ++end;
      ut::String name(Line.substr(Position, end - Position));
      SampleSet.AddVariable(name, section == 0);
      SampleSet.GetKeptIndices().insert(column++);
      ColumnNames.push_back(name);
    }
  }
  SelectVariables(column, picker);
  SampleSet.SetCounts(SampleSet.CountInputs(), static_cast<std::int32_t>(announced[0]),
                      SampleSet.CountOutputs(), static_cast<std::int32_t>(announced[1]));

  std::int64_t samples = 0;
  bool ok = ReadLine() && SkipRemarks() &&
            ParseLeadingInteger(Line.data() + Position, Line.data() + Line.size(), samples) ==
                NumberText::Ok &&
            samples > 0 && samples <= std::numeric_limits<std::uint32_t>::max();
  if (!ok) {
    throw ut::Exception("Number of samples in line " + line_text(LineNumber) + ".", kReadHeader);
  }
  SampleSet.NumSamplesInFile = static_cast<std::uint32_t>(samples);
  DataStart = std::ftell(File);
  CountLine = LineNumber;
  if (!ReadLine()) {
    throw ut::Exception("Can't read past header (line " + line_text(LineNumber) + ").",
                        kReadHeader);
  }
  SampleSet.NumSamples = std::min(SampleSet.NumSamples, SampleSet.NumSamplesInFile);
  FilePath = path;
}

void SamSampleFileReader::LoadSortSamples() {
  if (SampleSet.NumVariables() == 0) {
    throw ut::Exception("There are no random variables in the SAM file", kLoadSortSamples);
  }
  const ut::SizeTSet& kept_set = SampleSet.GetKeptIndices();
  std::vector<std::size_t> kept(kept_set.begin(), kept_set.end());
  const std::uint32_t n = std::min(SampleSet.NumSamplesInFile, MaxSamples);
  SampleSet.NumSamples = n;
  const std::size_t nvars = SampleSet.NumVariables();
  std::vector<float*> targets(ColumnNames.size(), nullptr);
  for (std::size_t k = 0; k < nvars && k < kept.size(); ++k) {
    CTesploreVar& var = SampleSet.GetVariable(k);
    var.Resize(n);
    if (kept[k] < targets.size()) targets[kept[k]] = var.GetSamples().data();
  }
  if (!File || std::fseek(File, DataStart, SEEK_SET) != 0) {
    throw ut::Exception("Can't open sample file \"" + FilePath + "\"", kLoadSortSamples);
  }
  LineNumber = CountLine;
  const std::size_t columns = ColumnNames.size();
  for (std::uint32_t s = 0; s < n; ++s) {
    for (std::size_t c = 0; c < columns; ++c) {
      float value = 0.0f;
      NumberText r = ReadLine() ? ParseLeadingFloat(Line.data(), Line.data() + Line.size(), value)
                                : NumberText::NoNumber;
      if (r == NumberText::NoNumber) {
        throw ut::Exception("Can't read sample " + ut::int_to_string(s + 1) + " of variable \"" +
                                ColumnNames[c] + "\" defined in line " + line_text(LineNumber) +
                                ".",
                            kLoadSortSamples);
      }
      if (r == NumberText::NotFinite) ThrowNotFinite(s + 1, ColumnNames[c], kLoadSortSamples);
      if (targets[c]) targets[c][s] = value;
    }
  }
  for (std::size_t k = 0; k < nvars; ++k) SampleSet.GetVariable(k).ComputeQuantiles();
}

}  // namespace fn
