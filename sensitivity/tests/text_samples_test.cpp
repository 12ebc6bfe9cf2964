// The comma-separated reader and the .sam converter.
#include "text_samples.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include "test_support.h"

namespace tesvane {
namespace {

using test::ReadText;
using test::TSettingsScope;
using test::TTempDir;
using test::TTestHost;
using test::WriteText;

TEST(SplitNamesLine, BlanksCommasAndQuotes) {
  EXPECT_EQ(SplitNamesLine("a, b ,c"), (std::vector<std::string>{"a", "b ", "c"}));
  EXPECT_EQ(SplitNamesLine("a,,b, "), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitNamesLine("\"x,y\", 'p,q', z"), (std::vector<std::string>{"x,y", "p,q", "z"}));
}

TEST(SplitCommaText, CommasBlanksAndQuotedFields) {
  std::vector<std::string_view> f;
  std::deque<std::string> scratch;
  SplitCommaText(" 1.2345E+02, -3.0000E-01,  4.5000E+00", f, scratch);
  EXPECT_EQ(f, (std::vector<std::string_view>{"1.2345E+02", "-3.0000E-01", "4.5000E+00"}));
  SplitCommaText("1 2", f, scratch);
  EXPECT_EQ(f, (std::vector<std::string_view>{"1", "2"}));
  SplitCommaText("1,,2,", f, scratch);
  EXPECT_EQ(f, (std::vector<std::string_view>{"1", "", "2", ""}));
  SplitCommaText("\"a \"\"b\"\", c\",d", f, scratch);
  EXPECT_EQ(f, (std::vector<std::string_view>{"a \"b\", c", "d"}));
}

TEST(ParseSampleValue, CLocaleAndFiniteOnly) {
  double v = 0;
  EXPECT_TRUE(ParseSampleValue("1.5E+02", v));
  EXPECT_EQ(v, 150.0);
  EXPECT_TRUE(ParseSampleValue("+2", v));
  EXPECT_EQ(v, 2.0);
  EXPECT_FALSE(ParseSampleValue("1,5", v));
  EXPECT_FALSE(ParseSampleValue("abc", v));
  EXPECT_FALSE(ParseSampleValue("nan", v));
  EXPECT_FALSE(ParseSampleValue("inf", v));
  EXPECT_FALSE(ParseSampleValue("", v));
  EXPECT_FALSE(ParseSampleValue("+-1", v));
}

class ReadTextSamplesTest : public ::testing::Test {
 protected:
  TSettingsScope settings{false};
  TTempDir dir;
  TTestHost host;
};

TEST_F(ReadTextSamplesTest, ReadsNamesValuesBoundsAndDistinctCounts) {
  const std::string path = dir.File("data.sae");
  WriteText(path,
            "a, b ,c\r\n"
            " 1.0000E+00,  2.0000E+00, 3\r\n"
            "2 5 6 99\r\n"  // blanks separate; the extra field is ignored
            "3, x, 7\r\n"   // not a number: the row is dropped whole
            "4, 1, 8\n"
            "5\r\n"  // too few fields
            "1.0, 3, 9");
  TFileData store;
  store.FileName = path;
  ASSERT_TRUE(ReadTextSamples(store, nullptr, host));
  EXPECT_EQ(store.Names, (std::vector<std::string>{"a", "b ", "c"}));
  EXPECT_EQ(store.VarCount, 3);
  ASSERT_EQ(store.SampleCount, 4);
  EXPECT_EQ(store.Samples[0], (std::vector<double>{1, 2, 4, 1}));
  EXPECT_EQ(store.Samples[1], (std::vector<double>{2, 5, 1, 3}));
  EXPECT_EQ(store.Samples[2], (std::vector<double>{3, 6, 8, 9}));
  EXPECT_EQ(store.MinValues,
            (std::vector<double>{1, 1, 3}));  // the dropped row's 3 and 7 do not count
  EXPECT_EQ(store.MaxValues, (std::vector<double>{4, 5, 9}));
  // Texts: "1.0000E+00", "2", "4", "1.0" are four values.
  EXPECT_EQ(store.DistinctCounts, (std::vector<int32_t>{4, 4, 4}));
  EXPECT_EQ(store.Variables[1].Name, "b ");
  EXPECT_EQ(store.Variables[2].Id, 2);
  EXPECT_EQ(store.Variables[2].VarType, 2);
  EXPECT_EQ(host.Statuses.front(), "Loading samples");
  EXPECT_EQ(host.Statuses.back(), "Ready to perform calculations");
}

TEST_F(ReadTextSamplesTest, DistinctCountingStopsAtTwentyOne) {
  const std::string path = dir.File("many.sae");
  std::string text = "x, d\r\n";
  for (int i = 0; i < 100; ++i) text += std::to_string(i) + ", " + std::to_string(i % 3) + "\r\n";
  WriteText(path, text);
  TFileData store;
  store.FileName = path;
  ASSERT_TRUE(ReadTextSamples(store, nullptr, host));
  EXPECT_EQ(store.DistinctCounts, (std::vector<int32_t>{21, 3}));
  EXPECT_GT(store.MinValues[0], -1);
}

TEST_F(ReadTextSamplesTest, GivenSelectionPicksColumnsInItsOrder) {
  const std::string path = dir.File("sel.csv");
  WriteText(path, "a,b,c\n1,2,3\n4,5,6\n7,8\n");
  TFileData store;
  store.FileName = path;
  TIntList sel;
  sel.Items = {2, 0};
  ASSERT_TRUE(ReadTextSamples(store, &sel, host));
  EXPECT_EQ(store.Names, (std::vector<std::string>{"c", "a"}));
  EXPECT_EQ(store.Samples[0], (std::vector<double>{3, 6}));  // row 3 has no column 2
  EXPECT_EQ(store.Samples[1], (std::vector<double>{1, 4}));
}

TEST_F(ReadTextSamplesTest, MissingFileIsFalseAndUnusableFilesRaiseLeavingTheStore) {
  TFileData store;
  store.FileName = dir.File("none.sae");
  EXPECT_FALSE(ReadTextSamples(store, nullptr, host));

  TFileData loaded;
  loaded.FileName = dir.File("good.sae");
  WriteText(loaded.FileName, "a,b\n1,2\n3,4\n");
  ASSERT_TRUE(ReadTextSamples(loaded, nullptr, host));
  for (const char* bad : {"", "a,b\n", "a,b\nx,y\n", ",,\n1,2\n"}) {
    TFileData copy = loaded;
    copy.FileName = dir.File("bad.sae");
    WriteText(copy.FileName, bad);
    EXPECT_THROW(ReadTextSamples(copy, nullptr, host), ESensitivityError) << bad;
    EXPECT_EQ(copy.Samples, loaded.Samples);
    EXPECT_EQ(copy.Names, loaded.Names);
  }
}

TEST_F(ReadTextSamplesTest, ManyNamesReadInLinearTime) {
  // 100 000 names on a 200 KB names line and one row of samples.
  std::string names, values;
  for (int k = 0; k < 100000; ++k) {
    names += k ? ",v" : "v";
    values += k ? ",1" : "1";
  }
  const std::string path = dir.File("wide.sae");
  WriteText(path, names + "\n" + values + "\n");
  TFileData store;
  store.FileName = path;
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(ReadTextSamples(store, nullptr, host));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(host.PickerCount, 100000);
  EXPECT_EQ(store.VarCount, MaxImportVariables);
  EXPECT_EQ(store.SampleCount, 1);
  EXPECT_LT(seconds, 10.0);  // well under a second when linear, also with sanitizers
}

TEST(ConvertSamToSae, ConvertsAnEngineSampleFile) {
  TTempDir dir;
  TTestHost host;
  const std::string sam = dir.File("model.sam");
  WriteText(
      sam,
      "; a remark\r\n"
      "2  ; Number of input variables (array of names goes next)\r\n"
      "a\r\nb\r\n"
      "1  ; Number of output variables (array of names goes next)\r\n"
      "y\r\n"
      "2    ;* Number of samples per variable\r\n"
      " 1.0000E+00\r\n 2.0000E+00\r\n-3.0000E+00\r\n 4.0000E+00\r\n 5.0000E+00\r\n 6.0000E+00\r\n");
  ASSERT_TRUE(ConvertSamToSae(sam, host));
  EXPECT_EQ(ReadText(dir.File("model.sae")),
            "a, b, y\r\n 1.0000E+00,  2.0000E+00, -3.0000E+00\r\n 4.0000E+00,  5.0000E+00,  "
            "6.0000E+00\r\n");
  EXPECT_TRUE(host.Errors.empty());
}

TEST(ConvertSamToSae, NoOutputsEndsTheNamesLineInACommaAndBackupsRotate) {
  TTempDir dir;
  TTestHost host;
  const std::string sam = dir.File("m.sam");
  WriteText(sam,
            "; remark\n1  ; Number of input variables (array of names goes next)\nx\n"
            "0  ; Number of output variables\n3    ;* Number of samples per variable\n1\n2\n");
  ASSERT_TRUE(ConvertSamToSae(sam, host));
  // The file ends before the third sample: conversion stops there.
  EXPECT_EQ(ReadText(dir.File("m.sae")), "x, \r\n1\r\n2\r\n");
  WriteText(dir.File("m.sae"), "first");
  ASSERT_TRUE(ConvertSamToSae(sam, host));
  EXPECT_EQ(ReadText(dir.File("m_bak.sae")), "first");
  WriteText(dir.File("m.sae"), "second");
  ASSERT_TRUE(ConvertSamToSae(sam, host));
  EXPECT_EQ(ReadText(dir.File("m_bak.sae")), "second");
}

TEST(ConvertSamToSae, AFailedWriteLeavesThePreviousFile) {
  TTempDir dir;
  TTestHost host;
  const std::string sam = dir.File("big.sam");
  std::string text = "1  ; inputs\nx\n0  ; outputs\n400000    ;* samples\n";
  for (int k = 0; k < 400000; ++k) text += " 1.2345E+02\n";  // about 5 MB of ".sae"
  WriteText(sam, text);
  WriteText(dir.File("big.sae"), "previous");
  // Files may grow to 2 MB: the conversion fails half-way.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 2u << 20;
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool converted = ConvertSamToSae(sam, host);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(converted);
  ASSERT_EQ(host.Errors.size(), 1u);
  EXPECT_EQ(host.Errors[0], "Error writing output file " + dir.File("big.sae"));
  EXPECT_EQ(ReadText(dir.File("big.sae")), "previous");
  EXPECT_FALSE(std::filesystem::exists(dir.File("big_bak.sae")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("big.sae.~tmp")));
}

TEST(ConvertSamToSae, MissingFileShowsTheMessage) {
  TTempDir dir;
  TTestHost host;
  const std::string sam = dir.File("none.sam");
  EXPECT_FALSE(ConvertSamToSae(sam, host));
  ASSERT_EQ(host.Messages.size(), 1u);
  EXPECT_EQ(host.Messages[0], "Error, file " + sam + " does not exists!");
}

TEST(ConvertSamToSae, ConvertedFileReadsBack) {
  TSettingsScope settings(false);
  TTempDir dir;
  TTestHost host;
  const std::string sam = dir.File("r.sam");
  WriteText(
      sam,
      "2  ; Number of input variables (array of names goes next)\r\np\r\nq\r\n"
      "0  ; Number of output variables\r\n"
      "3    ;* Number of samples per variable\r\n"
      " 1.2345E+02\r\n-1.2346E-04\r\n 0.0000E+00\r\n 1.0000E+05\r\n 1.234E+150\r\n 2.500E-150\r\n");
  ASSERT_TRUE(ConvertSamToSae(sam, host));
  TFileData store;
  store.FileName = dir.File("r.sae");
  ASSERT_TRUE(ReadTextSamples(store, nullptr, host));
  EXPECT_EQ(store.Names, (std::vector<std::string>{"p", "q"}));
  EXPECT_EQ(store.Samples[0], (std::vector<double>{123.45, 0.0, 1.234e150}));
  EXPECT_EQ(store.Samples[1], (std::vector<double>{-1.2346e-4, 1e5, 2.5e-150}));
}

}  // namespace
}  // namespace tesvane

#include "csv_text.h"

namespace tesvane {
namespace {

TEST(CsvText, QuotesSeparatorsQuotesAndLineBreaks) {
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("a;b", ';'), "\"a;b\"");
  EXPECT_EQ(CsvField("a;b"), "a;b");
  EXPECT_EQ(CsvLine({"x", "1,5", "two\nlines"}), "x,\"1,5\",\"two\nlines\"\r\n");
  // Read back by the comma-text splitter.
  std::vector<std::string_view> fields;
  std::deque<std::string> scratch;
  SplitCommaText("\"say \"\"hi\"\"\",\"a,b\"", fields, scratch);
  EXPECT_EQ(fields, (std::vector<std::string_view>{"say \"hi\"", "a,b"}));
}

}  // namespace
}  // namespace tesvane
