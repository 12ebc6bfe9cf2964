#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model_builder.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"

// A fresh model whose file lives in a folder of its own.
class SimulationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps apart the same test run from two build trees at once.
    dir_ = std::filesystem::temp_directory_path() /
           ("tesmira_sim_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
            std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    Init_Model_data();
    SetModelFileName((dir_ / "model.tsm").string().c_str());
  }
  void TearDown() override {
    End_model_data();
    std::filesystem::remove_all(dir_);
  }

  TRunRequest Request(int runs, int seed, int options = 0) const {
    TRunRequest r = DefaultRunRequest;
    r.runs = runs;
    r.seed = seed;
    r.options = options;
    return r;
  }

  static std::string Message(const TRunRequest& r) {
    return std::string(reinterpret_cast<const char*>(r.message + 1), r.message[0]);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  std::filesystem::path dir_;
};
