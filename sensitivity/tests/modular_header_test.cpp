// The modular sample header reader.
#include "modular_header.h"

#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"

namespace tesvane {
namespace {

using test::TSettingsScope;
using test::TTempDir;
using test::TTestHost;
using test::WriteText;

void WriteSingles(const std::string& path, const std::vector<float>& values) {
  std::string bytes(values.size() * 4, '\0');
  for (size_t i = 0; i < values.size(); ++i) {
    uint32_t u;
    std::memcpy(&u, &values[i], 4);
    for (int b = 0; b < 4; ++b)
      bytes[4 * i + static_cast<size_t>(b)] = static_cast<char>((u >> (8 * b)) & 0xFF);
  }
  WriteText(path, bytes);
}

std::string Variable(const std::string& name, int type, const std::string& file) {
  return "<random_variable><name>" + name + "</name><description>about " + name +
         "</description><is_functional>1</is_functional><type>" + std::to_string(type) +
         "</type><binary_sample_filename>" + file + "</binary_sample_filename></random_variable>";
}

class ModularHeaderTest : public ::testing::Test {
 protected:
  TSettingsScope settings{false};
  TTempDir dir;
  TTestHost host;
  TFileData store;

  bool Read(const std::string& header) {
    store.FileName = dir.File("set.samhdr");
    WriteText(store.FileName, header);
    return ReadModularSampleHeader(store, nullptr, host);
  }
};

TEST_F(ModularHeaderTest, ReadsWithOrWithoutDeclarationAndAnyRootName) {
  WriteSingles(dir.File("a.bin"), {0, 1, 1, 2});
  WriteSingles(dir.File("b.bin"), {-1.5f, 2.5f, 0.25f, 4});
  const std::string body = "<number_of_samples> 4 </number_of_samples>" +
                           Variable("A", 1, "a.bin") + "<other/>" + Variable("B", 0, "B.BIN");
  for (const std::string& header :
       {"<?xml version=\"1.0\"?>\n<pellian_modular_sample_header version=\"1\">" + body +
            "</pellian_modular_sample_header>",
        "<anything>" + body + "</anything>"}) {
    ASSERT_TRUE(Read(header));
    EXPECT_EQ(store.SampleCount, 4);
    EXPECT_EQ(store.VarCount, 2);
    EXPECT_EQ(store.Names, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(store.Variables[0].Description, "about A");
    EXPECT_EQ(store.Variables[0].IsFunctional, 1);
    EXPECT_EQ(store.Variables[1].VarType, 0);
    EXPECT_EQ(store.Samples[1], (std::vector<double>{-1.5, 2.5, 0.25, 4}));
    EXPECT_EQ(store.DistinctCounts, (std::vector<int32_t>{3, 21}));
    EXPECT_EQ(store.MinValues[1], -1.5);
    EXPECT_EQ(store.MaxValues[1], 4);
  }
}

TEST_F(ModularHeaderTest, WrongRecordCountStopsTheLoad) {
  WriteSingles(dir.File("a.bin"), {1, 2, 3});
  try {
    Read("<h><number_of_samples>4</number_of_samples>" + Variable("A", 0, "a.bin") + "</h>");
    FAIL();
  } catch (const ESensitivityError& e) {
    EXPECT_EQ(
        std::string(e.what()).rfind(
            "The size of the array passed in must equal the number of records in the file", 0),
        0u);
  }
}

TEST_F(ModularHeaderTest, SeventyThousandSamplesInBlocks) {
  std::vector<float> values(70000);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i) * 0.5f;
  WriteSingles(dir.File("big.bin"), values);
  std::vector<float> buffer(70000);
  ReadBinarySingles(buffer.data(), 69999, dir.File("big.bin"));
  EXPECT_EQ(buffer, values);
  ASSERT_TRUE(Read("<h><number_of_samples>70000</number_of_samples>" + Variable("V", 0, "big.bin") +
                   "</h>"));
  EXPECT_EQ(store.Samples[0][69999], 34999.5);
}

TEST_F(ModularHeaderTest, RefusesBrokenHeadersAndKeepsTheStore) {
  WriteSingles(dir.File("a.bin"), {1, 2});
  const std::vector<std::string> broken = {
      "<h><number_of_samples>2</number_of_samples>",  // not well-formed
      "<h>" + Variable("A", 0, "a.bin") + "</h>",     // no count
      "<h><number_of_samples>x</number_of_samples>" + Variable("A", 0, "a.bin") + "</h>",
      "<h><number_of_samples>0</number_of_samples>" + Variable("A", 0, "a.bin") + "</h>",
      "<h><number_of_samples>2</number_of_samples></h>",  // no variable
      "<h><number_of_samples>2</number_of_samples><random_variable><name>A</name></"
      "random_variable></h>",
      "<h><number_of_samples>2</number_of_samples>" + Variable("A", 0, "missing.bin") + "</h>",
  };
  for (const auto& header : broken) {
    store = TFileData();
    store.FileName = "kept";
    store.Names = {"kept"};
    EXPECT_THROW(Read(header), ESensitivityError) << header;
    EXPECT_EQ(store.Names, (std::vector<std::string>{"kept"}));
  }
}

}  // namespace
}  // namespace tesvane
