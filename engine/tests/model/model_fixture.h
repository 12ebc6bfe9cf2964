// Each test case works on a fresh global model and releases it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tesmira/model.h"
#include "tesmira/structures.h"

class ModelTest : public ::testing::Test {
 public:
  void SetUp() override { ASSERT_NE(Init_Model_data(), nullptr); }
  void TearDown() override { End_model_data(); }

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
