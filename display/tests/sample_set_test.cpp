#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fn/sample_data.h"
#include "sample_files.h"
#include "ut/exception.h"

namespace {

using testfiles::TempDir;

// A comma-separated file of n columns c0 ... c(n-1) whose values are the column index.
std::string WideSae(const TempDir& dir, int n) {
  std::string names, values;
  for (int i = 0; i < n; ++i) {
    names += std::string(i ? "," : "").append(std::string("c").append(std::to_string(i)));
    values += (i ? "," : "") + std::to_string(i);
  }
  return dir.Write("wide" + std::to_string(n) + ".sae",
                   names + "\n" + values + "\n" + values + "\n");
}

TEST(SampleSet, PickerAndColumnLimit) {
  TempDir dir;
  struct Case {
    const char* what;
    int columns;
    bool answer;
    ut::SizeTSet choice;
    int calls;
    std::vector<std::size_t> kept;  // empty: 0 ... min(columns, 69) - 1
  };
  const Case cases[] = {
      {"20 columns: no picker", 20, true, {1}, 0, {}},
      {"21 columns: picker asked, cancelled", 21, false, {}, 1, {}},
      {"100 columns, cancelled: the first 69", 100, false, {}, 1, {}},
      {"picker chooses 2, 5, 70", 100, true, {2, 5, 70}, 1, {2, 5, 70}},
      {"picker choice beyond the file", 30, true, {3, 29, 30, 500}, 1, {3, 29}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int calls = 0;
    fn::SampleData set(new testfiles::TestPicker(c.answer, c.choice, &calls));
    ASSERT_TRUE(set.SetFile(WideSae(dir, c.columns), fn::SampleFileSae));
    EXPECT_EQ(calls, c.calls);
    std::vector<std::size_t> kept = c.kept;
    if (kept.empty()) {
      for (int i = 0; i < std::min(c.columns, 69); ++i) kept.push_back(i);
    }
    ASSERT_EQ(set.NumVariables(), kept.size());
    EXPECT_EQ(std::vector<std::size_t>(set.GetKeptIndices().begin(), set.GetKeptIndices().end()),
              kept);
    for (std::size_t k = 0; k < kept.size(); ++k) {
      EXPECT_EQ(set.GetVariable(k).GetName(), std::string("c").append(std::to_string(kept[k])));
      EXPECT_EQ(set.GetVariable(k).GetSamples(),
                std::vector<float>(2, static_cast<float>(kept[k])));
    }
    EXPECT_EQ(set.NumVariablesInFile(), c.columns);
    EXPECT_EQ(set.GetKeptInputs(), static_cast<int>(kept.size()));
  }
}

TEST(SampleSet, PickerOnTextAndModularFiles) {
  TempDir dir;
  std::vector<std::string> inputs, outputs;
  for (int i = 0; i < 15; ++i) inputs.push_back("in" + std::to_string(i));
  for (int i = 0; i < 10; ++i) outputs.push_back("out" + std::to_string(i));
  testfiles::Table table(3, std::vector<double>(25));
  for (auto& row : table) {
    for (int c = 0; c < 25; ++c) row[c] = c;
  }
  std::string sam = dir.Write("p.sam", testfiles::SamText(inputs, outputs, table));
  fn::SampleData set(new testfiles::TestPicker(true, {1, 14, 15, 24}, nullptr));
  ASSERT_TRUE(set.SetFile(sam, fn::SampleFileSam));
  ASSERT_EQ(set.NumVariables(), 4u);
  EXPECT_EQ(set.GetVariable(2).GetName(), "out0");
  EXPECT_EQ(set.GetVariable(3).GetSamples(), std::vector<float>(3, 24.0f));
  EXPECT_EQ(set.GetKeptInputs(), 2);
  EXPECT_EQ(set.GetInputsInFile(), 15);
  EXPECT_EQ(set.GetKeptOutputs(), 2);
  EXPECT_EQ(set.GetOutputsInFile(), 10);

  std::vector<testfiles::HeaderVariable> vars;
  for (int i = 0; i < 25; ++i) {
    std::string file = "m" + std::to_string(i) + ".bin";
    dir.Write(file, testfiles::FloatBytes(std::vector<float>(4, static_cast<float>(i))));
    vars.push_back({"m" + std::to_string(i), file, ""});
  }
  std::string hdr = dir.Write("p.samhdr", testfiles::SamhdrText(4, vars));
  fn::SampleData modular(new testfiles::TestPicker(true, {0, 24}, nullptr));
  ASSERT_TRUE(modular.SetFile(hdr, fn::SampleFileSamhdr));
  ASSERT_EQ(modular.NumVariables(), 2u);
  EXPECT_EQ(modular.GetVariable(1).GetSamples(), std::vector<float>(4, 24.0f));
}

TEST(SampleSet, TypesCountsAndErrors) {
  EXPECT_EQ(fn::SampleFileExtension(0), "sae");
  EXPECT_EQ(fn::SampleFileExtension(1), "sam");
  EXPECT_EQ(fn::SampleFileExtension(2), "samhdr");
  EXPECT_EQ(fn::SampleFileExtension(3), "");
  const std::pair<const char*, int> types[] = {{"C:\\d\\run.SAM", 1}, {"run.sam", 1},
                                               {"x/run.SamHdr", 2},   {"run.csv", 0},
                                               {"run.txt", 0},        {"run", 0}};
  for (auto [path, type] : types) EXPECT_EQ(fn::SampleFileTypeOf(path), type) << path;

  try {
    fn::SampleData none(nullptr);
    ADD_FAILURE();
  } catch (const ut::Exception& e) {
    EXPECT_EQ(e.message(), "Invalid 'RandVarPicker' pointer");
    EXPECT_EQ(e.function_name(), "SampleData::SampleData");
  }
  fn::SampleData set(testfiles::Cancelling());
  EXPECT_EQ(set.GetNumSamples(), 200u);
  EXPECT_FALSE(set.HasVariables());
  EXPECT_EQ(set.GetFileName(), "");
  try {
    set.SetFile("x", 5);
    ADD_FAILURE();
  } catch (const ut::Exception& e) {
    EXPECT_EQ(e.message(), "Unknown sample file type.");
    EXPECT_EQ(e.function_name(), "SampleData::SetFile");
  }
  set.NumSamplesInFile = 1000;
  try {
    set.UpdateNumSamples(500);
    ADD_FAILURE();
  } catch (const ut::Exception& e) {
    EXPECT_EQ(e.message(), "The sample file has not yet been chosen.");
    EXPECT_EQ(e.function_name(), "SampleData::UpdateNumSamples");
  }
  EXPECT_THROW(set.GetVariable(0), std::out_of_range);
  EXPECT_THROW(set.RemoveVariable(0), std::out_of_range);

  // After a load the samples are all in: no later call reads the file again.
  TempDir dir;
  std::string path = WideSae(dir, 3);
  fn::SampleData loaded(testfiles::Cancelling());
  ASSERT_TRUE(loaded.SetFile(path, fn::SampleFileSae));
  EXPECT_TRUE(loaded.HasVariables());
  EXPECT_EQ(loaded.GetNumSamples(), 2u);
  std::filesystem::remove(path);
  loaded.UpdateNumSamples(5000);
  EXPECT_EQ(loaded.GetNumSamples(), 2u);
  loaded.Clear();
  EXPECT_EQ(loaded.NumVariables(), 0u);
  EXPECT_TRUE(loaded.GetKeptIndices().empty());
  EXPECT_EQ(loaded.GetFileName(), "");
  EXPECT_EQ(loaded.NumVariablesInFile(), 3);  // the file's counts stay
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SampleSet, SavesTheShownAndSelectedSamples) {
  TempDir dir;
  testfiles::Table table = {
      {1.5, -2.0, 1e-5}, {2.5, 3.0, 12345.0}, {3.5, 4.0, 0.0}, {4.5, 5.0, -7.25}, {5.5, 6.0, 1.0}};
  std::string sam = dir.Write("in.sam", testfiles::SamText({"a", "b"}, {"f"}, table));
  fn::SampleData set(testfiles::Cancelling());
  ASSERT_TRUE(set.SetFile(sam, fn::SampleFileSam));
  // The mask is longer than the shown samples; bit 6 lies beyond them.
  std::vector<bool> mask(500, false);
  mask[1] = mask[3] = mask[6] = true;
  std::string out = dir.File("sel.sam");
  ASSERT_TRUE(set.SaveSelSamples(out, 5, 3, mask));
  const std::string expected =
      "; Remarks for those who are going to update this file\r\n"
      "; with output variables for further postprocessing by\r\n"
      "; the TESMIRA:\r\n"
      "; 1. Put a proper number into the `Number of output\r\n"
      ";    variables` line below\r\n"
      "; 2. After that line insert a list of the output variable\r\n"
      ";    names (similar to the input variable names list);\r\n"
      ";    names must not exceed 10 characters\r\n"
      "; 3. If you have, for example, 5 input and 3 output\r\n"
      ";    variables in your model, insert 3 data lines\r\n"
      ";    corresponding your output variables AFTER EVERY 5th line\r\n"
      ";    of the input data. This should be repeated N times,\r\n"
      ";    where N is `Number of samples per variable` (see below)\r\n"
      ";\r\n"
      "2  ; Number of input variables (array of names goes next)\r\n"
      "a\r\n"
      "b\r\n"
      "1  ; Number of output variables\r\n"
      "f\r\n"
      "2 ;* Number of samples per variable\r\n"
      "2.500000e+00\r\n"
      "3.000000e+00\r\n"
      "1.234500e+04\r\n"
      "4.500000e+00\r\n"
      "5.000000e+00\r\n"
      "-7.250000e+00\r\n";
  EXPECT_EQ(ReadAll(out), expected);
  EXPECT_FALSE(std::filesystem::exists(out + ".tmp~"));

  // The file reads back as a sample set of the two selected samples.
  fn::SampleData back(testfiles::Cancelling());
  ASSERT_TRUE(back.SetFile(out, fn::SampleFileSam));
  EXPECT_EQ(back.GetVariable(2).GetSamples(), (std::vector<float>{12345.0f, -7.25f}));

  // An existing file is replaced only by a complete new one.
  std::vector<bool> none(5, false);
  ASSERT_TRUE(set.SaveSelSamples(out, 5, 0, none));
  EXPECT_NE(ReadAll(out).find("\r\n0 ;* Number of samples per variable\r\n"), std::string::npos);

  try {
    set.SaveSelSamples(out, 5, 1, std::vector<bool>(4, true));
    ADD_FAILURE();
  } catch (const ut::Exception& e) {
    EXPECT_EQ(e.message(),
              "The number of sample values must match the sample visibility mask size.");
    EXPECT_EQ(e.function_name(), "SampleData::SaveSelSamples");
  }
  EXPECT_FALSE(set.SaveSelSamples(dir.File("no/such/folder/x.sam"), 5, 1, mask));
}

}  // namespace
