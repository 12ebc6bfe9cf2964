// Fixtures shared by the engine's tests: each test case works on a fresh
// global model and releases it afterwards. ModelTest adds helpers that build
// records; ModelFolderTest gives the case a folder of its own for its files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tesmira/model.h"
#include "tesmira/structures.h"

class FreshModelTest : public ::testing::Test {
 public:
  void SetUp() override { ASSERT_NE(Init_Model_data(), nullptr); }
  void TearDown() override { End_model_data(); }
};

class ModelTest : public FreshModelTest {
 public:
  static void SetName(unsigned char* s, const std::string& name) {
    s[0] = static_cast<unsigned char>(name.size());
    std::memcpy(s + 1, name.data(), name.size());
  }

  static std::string NameOf(const unsigned char* s) {
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
  }

  // A variable record named name, Normal(mean, sd), value slots missing.
  static TExtendedRandomVariable NormalVariable(const std::string& name, double mean = 0.0,
                                                double sd = 1.0) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    SetName(rv.distribution.name, name);
    rv.distribution.distType = DistNormal;
    rv.distribution.u.params[0] = mean;
    rv.distribution.u.params[1] = sd;
    for (int k = 0; k < ValueSlots; ++k) rv.values[k] = MissingValue;
    rv.representation = 1;
    return rv;
  }

  static int AddVariable(const std::string& name) {
    TExtendedRandomVariable rv = NormalVariable(name);
    TExtendedRandomVariable* out = nullptr;
    int32_t size = 0;
    return Create_extended_random_variable(&rv, &out, &size);
  }

  static TUdf Formula(const std::string& name, const std::string& text = "") {
    TUdf f;
    std::memset(&f, 0, sizeof f);
    SetName(f.name, name);
    f.text[0] = static_cast<unsigned char>(text.size());
    std::memcpy(f.text + 1, text.data(), text.size());
    return f;
  }

  static int AddFormula(const std::string& name, const std::string& text = "") {
    TUdf f = Formula(name, text);
    TUdf* out = nullptr;
    int32_t size = 0;
    return Create_UDF(&f, &out, &size);
  }
};

class ModelFolderTest : public FreshModelTest {
 public:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps apart the same case run from two build trees at once.
    std::string name = "tesmira_" + std::string(info->test_suite_name()) + "_" + info->name() +
                       "_" + std::to_string(::getpid());
    std::replace(name.begin(), name.end(), '/', '_');
    dir_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    FreshModelTest::SetUp();
  }
  void TearDown() override {
    FreshModelTest::TearDown();
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir_, ec);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
  }

  std::filesystem::path dir_;
};
