#pragma once

#include <string>

#include "model_builder.h"
#include "model_fixture.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"

// A fresh model whose file lives in a folder of its own.
class SimulationTest : public ModelFolderTest {
 protected:
  void SetUp() override {
    ModelFolderTest::SetUp();
    SetModelFileName((dir_ / "model.tsm").string().c_str());
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
};
