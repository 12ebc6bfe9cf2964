// Helpers of the sensitivity tests: a temporary folder, a reader host that
// records what the readers show and answers the picker, file writing.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "reader_host.h"
#include "sample_store.h"

namespace tesvane::test {

class TTempDir {
 public:
  TTempDir() {
    static int counter = 0;
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("tesvane_test_" + std::to_string(rd()) + "_" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TTestHost : public TReaderHost {
 public:
  std::vector<std::string> Messages, Errors, Statuses;
  std::vector<int32_t> Progress;
  int PickerShown = 0;
  int32_t PickerMaximum = -1;
  int32_t PickerCount = -1;
  bool ConfirmPicker = false;
  std::vector<int32_t> PickedIds;

  void SetProgress(int32_t percent) override { Progress.push_back(percent); }
  void SetStatus(const std::string& text) override { Statuses.push_back(text); }
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  void ShowError(const std::string& text) override { Errors.push_back(text); }
  bool PickVariables(const TRandVarList& variables, int32_t maximum, TIntList& checked) override {
    ++PickerShown;
    PickerMaximum = maximum;
    PickerCount = variables.Count();
    if (!ConfirmPicker) return false;
    checked.Items = PickedIds;
    return true;
  }
};

// Sets ExeFolder to a temporary folder with a settings file that turns
// "Import selected" off (or on), and restores it afterwards.
class TSettingsScope {
 public:
  explicit TSettingsScope(bool importSelected) : saved_(ExeFolder) {
    ExeFolder = dir_.Path().string();
    WriteText(dir_.File("Tesvane.ini"), std::string("[General settings]\r\nImport selected=") +
                                            (importSelected ? "1" : "0") + "\r\n");
  }
  ~TSettingsScope() { ExeFolder = saved_; }
  std::string Ini() const { return dir_.File("Tesvane.ini"); }

 private:
  TTempDir dir_;
  std::string saved_;
};

}  // namespace tesvane::test
