#pragma once

// Sample files written the way the workbench writes them, for the reader tests.

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "fn/sample_data.h"

namespace testfiles {

// A folder of its own under the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("tesplore_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
    return File(name);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The workbench's 11-character value text: " 1.2345E+02", "-3.0000E-01".
inline std::string ValueText(double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v < 0 ? -v : v, std::chars_format::scientific, 4);
  std::string s(buf, r.ptr);
  for (char& c : s) c = c == 'e' ? 'E' : c;
  return (v < 0 ? "-" : " ") + s;
}

// samples[s][c]: sample s of column c (inputs, then outputs).
using Table = std::vector<std::vector<double>>;

inline std::string SamText(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs, const Table& samples) {
  std::string t;
  if (outputs.empty()) t += "; Remarks for those who are going to update this file\r\n;    \r\n";
  t += std::to_string(inputs.size()) + "  ; Number of input variables";
  t += inputs.empty() ? "\r\n" : " (array of names goes next)\r\n";
  for (const auto& n : inputs) t += n + "\r\n";
  t += std::to_string(outputs.size()) + "  ; Number of output variables";
  t += outputs.empty() ? "\r\n" : " (array of names goes next)\r\n";
  for (const auto& n : outputs) t += n + "\r\n";
  t += std::to_string(samples.size()) + "    ;* Number of samples per variable\r\n";
  for (const auto& row : samples) {
    for (double v : row) t += ValueText(v) + "\r\n";
  }
  return t;
}

inline std::string SaeText(const std::vector<std::string>& names, const Table& samples) {
  std::string t;
  for (std::size_t i = 0; i < names.size(); ++i) t += (i ? ", " : "") + names[i];
  t += "\r\n";
  for (const auto& row : samples) {
    for (std::size_t i = 0; i < row.size(); ++i) t += (i ? ", " : "") + ValueText(row[i]);
    t += "\r\n";
  }
  return t;
}

// Little-endian 4-byte floats.
inline std::string FloatBytes(const std::vector<float>& values) {
  std::string bytes(values.size() * 4, '\0');
  for (std::size_t i = 0; i < values.size(); ++i) {
    unsigned char b[4];
    std::memcpy(b, &values[i], 4);
    for (int k = 0; k < 4; ++k) bytes[i * 4 + k] = static_cast<char>(b[k]);  // little-endian host
  }
  return bytes;
}

struct HeaderVariable {
  std::string name, file, description;
  int type = 0;
  int functional = 0;
};

inline std::string SamhdrText(long long samples, const std::vector<HeaderVariable>& vars) {
  std::string t = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  t += "<pellian_modular_sample_header version=\"1\">\n";
  t += "  <number_of_samples>" + std::to_string(samples) + "</number_of_samples>\n";
  for (const auto& v : vars) {
    t += "  <random_variable>\n    <name>" + v.name + "</name>\n";
    t += "    <binary_sample_filename>" + v.file + "</binary_sample_filename>\n";
    t += "    <description>" + v.description + "</description>\n";
    t += "    <type>" + std::to_string(v.type) + "</type>\n";
    t += "    <is_functional>" + std::to_string(v.functional) + "</is_functional>\n";
    t += "  </random_variable>\n";
  }
  t += "</pellian_modular_sample_header>\n";
  return t;
}

// A picker that answers as told and remembers its calls.
class TestPicker : public fn::RandVarPicker {
 public:
  TestPicker(bool answer, ut::SizeTSet choice, int* calls)
      : answer_(answer), choice_(std::move(choice)), calls_(calls) {}
  bool PickVariables(const std::vector<std::unique_ptr<fn::CTesploreVar>>& variables,
                     std::uint32_t limit, ut::SizeTSet& chosen) override {
    if (calls_) ++*calls_;
    EXPECT_EQ(limit, 69u);
    EXPECT_GT(variables.size(), 20u);
    if (answer_) chosen = choice_;
    return answer_;
  }

 private:
  bool answer_;
  ut::SizeTSet choice_;
  int* calls_;
};

inline fn::RandVarPicker* Cancelling(int* calls = nullptr) {
  return new TestPicker(false, {}, calls);
}

}  // namespace testfiles
