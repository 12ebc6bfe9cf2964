#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "busy_file.h"
#include "files/sample_files.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"

namespace tesmira {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}

class SampleFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("tesmira_sf_").append(std::to_string(::getpid())) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ClearSampleList(in_);
    ClearSampleList(out_);
  }
  void TearDown() override {
    SampleOutput().Abandon();
    SampleOutput().TakeMessages();
    fs::permissions(dir_, fs::perms::owner_all);
    fs::remove_all(dir_);
  }
  void Name(TSampleList& l, int k, const char* name) {
    SetShortString(l.entries[k - 1].name, name);
    if (l.count < k) l.count = static_cast<int16_t>(k);
  }
  void Values(double a, double b, double y) {
    SetEntryValue(in_.entries[0], a);
    SetEntryValue(in_.entries[1], b);
    SetEntryValue(out_.entries[0], y);
  }
  SampleFileSetup Setup(const std::string& file, int announced) {
    SampleFileSetup s;
    s.fileName = (dir_ / file).string();
    s.inputs = &in_;
    s.outputs = &out_;
    s.options = 3;
    s.announcedSamples = announced;
    return s;
  }
  fs::path dir_;
  TSampleList in_, out_;
};

TEST_F(SampleFilesTest, GoldenFilesOfTwoInputsOneOutputTwoSamples) {
  Name(in_, 1, "a");
  Name(in_, 2, "b");
  Name(out_, 1, "y");
  SampleFileWriter& w = SampleOutput();
  ASSERT_TRUE(w.Open(Setup("model.sam", 2)));
  Values(123.45, -0.3, 4.5);
  w.WriteSample(in_, out_);
  Values(1.03125, 0.0, -1e-100);
  w.WriteSample(in_, out_);
  w.Close(true);
  EXPECT_TRUE(w.TakeMessages().empty());
  EXPECT_EQ(ReadAll(dir_ / "model.sam"),
            "2  ; Number of input variables (array of names goes next)\r\n"
            "a\r\nb\r\n"
            "1  ; Number of output variables (array of names goes next)\r\n"
            "y\r\n"
            "2    ;* Number of samples per variable\r\n"
            " 1.2345E+02\r\n-3.0000E-01\r\n 4.5000E+00\r\n"
            " 1.0313E+00\r\n 0.0000E+00\r\n-1.000E-100\r\n");
  EXPECT_EQ(ReadAll(dir_ / "model.sae"),
            "a, b, y\r\n"
            " 1.2345E+02, -3.0000E-01,  4.5000E+00\r\n"
            " 1.0313E+00,  0.0000E+00, -1.000E-100\r\n");
}

TEST_F(SampleFilesTest, NoOutputsWritesRemarksAndCorrectsShorterCount) {
  Name(in_, 1, "x");
  SampleFileWriter& w = SampleOutput();
  SampleFileSetup s = Setup("run.sam", 1000);
  s.options = 1;
  ASSERT_TRUE(w.Open(s));
  for (int i = 0; i < 993; ++i) {
    SetEntryValue(in_.entries[0], i);
    w.WriteSample(in_, out_);
  }
  w.Close(true);
  std::string sam = ReadAll(dir_ / "run.sam");
  ASSERT_EQ(sam.rfind("; Remarks for those who are going to update this file\r\n", 0), 0u);
  EXPECT_NE(sam.find("; 1. Put a proper number into the `Number of output \r\n"),
            std::string::npos);
  EXPECT_NE(sam.find("\r\n;    \r\n1  ; Number of input variables (array of names goes next)\r\n"
                     "x\r\n0  ; Number of output variables\r\n993     ;* Number of samples"),
            std::string::npos);
  EXPECT_EQ(ReadAll(dir_ / "run.sae").substr(0, 3), "x\r\n");
}

TEST_F(SampleFilesTest, SeriesWithoutSeparateFilesCollectsAndRewritesLongerCount) {
  Name(in_, 1, "x");
  Name(out_, 1, "y");
  SampleFileWriter& w = SampleOutput();
  // 3 simulations of 4 samples announced as "4": the count grows to 12 (fits
  // into the blanks); 30 simulations would need a longer field.
  for (int sim = 1; sim <= 3; ++sim) {
    SampleFileSetup s = Setup("m.sam", 4);
    s.simulations = 3;
    s.simulationIndex = sim;
    s.separateFiles = false;
    ASSERT_TRUE(w.Open(s));
    for (int i = 0; i < 4; ++i) w.WriteSample(in_, out_);
    w.Close(sim == 3);
  }
  std::string sam = ReadAll(dir_ / "m.sam");
  EXPECT_NE(sam.find("\r\n12   ;* Number of samples per variable\r\n"), std::string::npos);
  EXPECT_EQ(std::count(sam.begin(), sam.end(), '\n'), 5 + 24);

  // A count that outgrows its digits and the four blanks: written through a copy.
  SampleFileSetup s = Setup("big.sam", 1);
  ASSERT_TRUE(w.Open(s));
  for (int i = 0; i < 123456; ++i) w.WriteSample(in_, out_);
  w.Close(true);
  std::string big = ReadAll(dir_ / "big.sam");
  EXPECT_NE(big.find("y\r\n123456    ;* Number of samples per variable\r\n 0.0000E+00\r\n"),
            std::string::npos);
  EXPECT_TRUE(w.TakeMessages().empty());
  EXPECT_FALSE(fs::exists(dir_ / "big.sam.~tmp"));
  EXPECT_EQ(LoadSampleFileHeader((dir_ / "big.sam").string().c_str(), nullptr, nullptr), 123456);

  // A count exactly as long as the digits and the blanks keeps a blank
  // before ";*", so the file still reads.
  ASSERT_TRUE(w.Open(Setup("full.sam", 1)));
  for (int i = 0; i < 10000; ++i) w.WriteSample(in_, out_);
  w.Close(true);
  EXPECT_NE(ReadAll(dir_ / "full.sam").find("y\r\n10000    ;* Number of samples per variable\r\n"),
            std::string::npos);
  EXPECT_EQ(LoadSampleFileHeader((dir_ / "full.sam").string().c_str(), nullptr, nullptr), 10000);
}

TEST_F(SampleFilesTest, SeparateFilesAreNumbered) {
  EXPECT_EQ(NumberedSampleFileName("/d/model.sam", 7, 12), "/d/model007.sam");
  EXPECT_EQ(NumberedSampleFileName("/d/model.sam", 12, 12), "/d/model012.sam");
  EXPECT_EQ(NumberedSampleFileName("/d/model.sam", 1, 1500), "/d/model0001.sam");
  EXPECT_EQ(NumberedSampleFileName("/d/model.sam", 1500, 1500), "/d/model1500.sam");
  EXPECT_EQ(NumberedSampleFileName("/d/model.sam", 3, 10000), "/d/model00003.sam");
  EXPECT_EQ(NumberedSampleFileName("/d.x/model", 3, 5), "/d.x/model003");
  EXPECT_EQ(TmpFallbackName("/d/model.sam"), "/d/model.tmp.sam");
  Name(in_, 1, "x");
  SampleFileSetup s = Setup("model.sam", 1);
  s.simulations = 12;
  s.simulationIndex = 7;
  ASSERT_TRUE(SampleOutput().Open(s));
  SampleOutput().WriteSample(in_, out_);
  SampleOutput().Close(false);
  EXPECT_TRUE(fs::exists(dir_ / "model007.sam"));
  EXPECT_TRUE(fs::exists(dir_ / "model007.sae"));
}

TEST_F(SampleFilesTest, BusyFileFallsBackToTmpName) {
  Name(in_, 1, "x");
  BusyFile busy(dir_ / "model.sam");
  ASSERT_TRUE(SampleOutput().Open(Setup("model.sam", 1)));
  SampleOutput().WriteSample(in_, out_);
  SampleOutput().Close(true);
  auto messages = SampleOutput().TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Sample file model.sam is write-protected, model.tmp.sam is used instead");
  EXPECT_NE(ReadAll(dir_ / "model.tmp.sam").find("1    ;*"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_ / "model.sae"));
}

TEST_F(SampleFilesTest, UncreatableFileIsReported) {
  Name(in_, 1, "x");
  SampleFileSetup s = Setup("missing/model.sam", 1);
  EXPECT_FALSE(SampleOutput().Open(s));
  auto messages = SampleOutput().TakeMessages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "Failed to create sample file " + (dir_ / "missing/model.sam").string());
}

TEST_F(SampleFilesTest, SelectionAndColumnMapChooseColumns) {
  Name(in_, 1, "a");
  Name(in_, 2, "b");
  Name(out_, 1, "y");
  Name(out_, 2, "z");
  // Selected samples: variable b and formula z, in that order.
  uint8_t selection[MaxSampleColumns + 1] = {};
  selection[2] = 1;
  selection[4] = 1;
  int32_t map[MaxSampleColumns + 1] = {};
  map[1] = 2;  // column 1: input b
  map[3] = 4;  // after the jump to the input count: column 3 is formula 2 (position 4)
  SampleFileSetup s = Setup("sel.sam", 1);
  s.options = 1 | 2 | 4;
  s.selection = selection;
  s.columnEntry = map;
  ASSERT_TRUE(SampleOutput().Open(s));
  SetEntryValue(in_.entries[1], 2.0);
  SetEntryValue(out_.entries[1], 3.0);
  SampleOutput().WriteSample(in_, out_);
  SampleOutput().Close(true);
  EXPECT_EQ(ReadAll(dir_ / "sel.sae"), "b, z\r\n 2.0000E+00,  3.0000E+00\r\n");
  EXPECT_NE(ReadAll(dir_ / "sel.sam")
                .find("1  ; Number of input variables (array of names goes "
                      "next)\r\nb\r\n1  ; Number of output variables (array "
                      "of names goes next)\r\nz\r\n1    ;*"),
            std::string::npos);
}

TEST_F(SampleFilesTest, SelectedObjectsAreWrittenWhateverIsLeftOut) {
  // The column map as the run builds it for the selected objects: one entry
  // per object of the list, without gaps. A formula selected while a
  // variable is left out is still written, and the variables come first.
  Name(in_, 1, "a");
  Name(in_, 2, "b");
  Name(in_, 3, "c");
  Name(out_, 1, "y");
  Name(out_, 2, "z");
  for (int k = 0; k < 3; ++k) SetEntryValue(in_.entries[k], k + 1.0);
  SetEntryValue(out_.entries[0], 10.0);
  SetEntryValue(out_.entries[1], 20.0);
  struct Case {
    std::vector<int32_t> objects;  // list positions of the selected objects in list order
    int32_t options;
    const char* sae;
  };
  const Case cases[] = {
      {{2, 5}, 1 | 2 | 4, "b, z\r\n 2.0000E+00,  2.0000E+01\r\n"},
      {{5, 3, 4, 1},
       1 | 2 | 4,
       "c, a, z, y\r\n 3.0000E+00,  1.0000E+00,  2.0000E+01,  1.0000E+01\r\n"},
      {{4, 2}, 1 | 4, "b\r\n 2.0000E+00\r\n"},  // inputs only
      {{1, 2, 3, 4},
       1 | 2 | 4,
       "a, b, c, y\r\n 1.0000E+00,  2.0000E+00,  3.0000E+00,  1.0000E+01\r\n"},
  };
  for (const Case& c : cases) {
    uint8_t selection[MaxSampleColumns + 1] = {};
    int32_t map[MaxSampleColumns + 1] = {};
    for (std::size_t k = 0; k < c.objects.size(); ++k) {
      selection[c.objects[k]] = 1;
      map[k + 1] = c.objects[k];
    }
    SampleFileSetup s = Setup("obj.sam", 1);
    s.options = c.options;
    s.selection = selection;
    s.columnEntry = map;
    ASSERT_TRUE(SampleOutput().Open(s));
    SampleOutput().WriteSample(in_, out_);
    SampleOutput().Close(true);
    EXPECT_EQ(ReadAll(dir_ / "obj.sae"), c.sae) << c.objects.size();
  }
  // The last case's header: three inputs and one output.
  EXPECT_NE(ReadAll(dir_ / "obj.sam")
                .find("3  ; Number of input variables (array of names goes "
                      "next)\r\na\r\nb\r\nc\r\n1  ; Number of output "
                      "variables (array of names goes next)\r\ny\r\n1    ;*"),
            std::string::npos);
}

TEST_F(SampleFilesTest, HeaderReader) {
  struct Case {
    const char* text;
    int32_t result;
  };
  const Case cases[] = {
      {"; c\r\n\r\n2  ; inputs\r\na\r\n  bb  \r\n;x\r\n1  ; out\r\ny\r\n250    ;* n\r\n1\r\n", 250},
      {"1\nx\n0\n0\n", 1},               // a count of 0 reads as 1
      {"5;\n1\n2\n3\n4\n5\n0\n7\n", 7},  // "5;" reads as 5
      {"12;\nx\n", -1},                  // stray character at the 3rd position
      {"1\nx\n0\n;c\n7\n", -4},          // comment before the sample count line
      {"1\n\n0\n7\n", -2},               // empty name
      {"1001\n", -1},                    // above the list limit
      {"-1\nx\n", -1},
      {"1\nx\n", -3},            // no output count
      {"1\nx\n0\n", -3},         // count line right at the end of the file
      {"1\nx\n; last\n", -3},    // a comment line right at the end of the file
      {"2\na\n; c\n0\n4\n", 4},  // a name line is not skipped even as a comment
  };
  int n = 0;
  for (const Case& c : cases) {
    fs::path p = dir_ / std::string("h").append(std::to_string(n++)).append(".sam");
    WriteAll(p, c.text);
    TSampleList in, out;
    EXPECT_EQ(LoadSampleFileHeader(p.string().c_str(), &in, &out), c.result) << c.text;
    if (n == 1) {
      EXPECT_EQ(in.count, 2);
      EXPECT_EQ(ShortStringView(in.entries[1].name), "bb");
      EXPECT_EQ(out.count, 1);
      EXPECT_EQ(Sample_variable_exists("Y", &out), 1);
    }
  }
  EXPECT_EQ(LoadSampleFileHeader((dir_ / "none.sam").string().c_str(), nullptr, nullptr), 0);
  // A path written with backslashes and another case is found.
  std::string windows = (dir_ / "H0.SAM").string();
  std::replace(windows.begin(), windows.end(), '/', '\\');
  EXPECT_EQ(LoadSampleFileHeader(windows.c_str(), nullptr, nullptr), 250);
  // A name line of any length is read, the name cut to 32 characters.
  fs::path p = dir_ / "long.sam";
  WriteAll(p, "1\n  " + std::string(300, 'n') + "  \n0\n9\n");
  TSampleList in, out;
  EXPECT_EQ(LoadSampleFileHeader(p.string().c_str(), &in, &out), 9);
  EXPECT_EQ(ShortStringView(in.entries[0].name), std::string(32, 'n'));
}

TEST_F(SampleFilesTest, WrittenFileReadsBack) {
  Name(in_, 1, "alpha");
  Name(out_, 1, "omega");
  SampleOutput().Open(Setup("rt.sam", 5));
  for (int i = 0; i < 3; ++i) SampleOutput().WriteSample(in_, out_);
  SampleOutput().Close(true);
  TSampleList in, out;
  TextLineReader reader;
  EXPECT_EQ(ReadSampleFileHeader((dir_ / "rt.sam").string(), &in, &out, reader), 3);
  std::string_view line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, " 0.0000E+00");
}

double FixedUniform() { return 0.5; }

TEST_F(SampleFilesTest, SapPairsFollowTheSamples) {
  Name(in_, 1, "x");
  SampleFileSetup s = Setup("pairs.SAP.sam", 4);
  s.uniform = &FixedUniform;
  ASSERT_TRUE(SampleOutput().Open(s));
  for (int i = 0; i < 4; ++i) SampleOutput().WriteSample(in_, out_);
  SampleOutput().Close(true);
  std::string sam = ReadAll(dir_ / "pairs.SAP.sam");
  // Two pairs of u = 0.5 / 4 and 1/4 - u, after the four samples.
  EXPECT_NE(sam.find(" 0.0000E+00\r\n 1.2500E-01\r\n 1.2500E-01\r\n"
                     " 1.2500E-01\r\n 1.2500E-01\r\n"),
            std::string::npos);
  EXPECT_EQ(sam.size() - sam.find(" 0.0000E+00"), 8u * 13u);
}

// The values are written on other threads, a few thousand at a time: with a
// thousand columns each block holds only a few samples, so that many blocks
// are under way at once; they reach the files in the order of the samples.
// Asking how many samples were written waits for those taken so far.
TEST_F(SampleFilesTest, ManyBlocksReachTheFilesInOrder) {
  constexpr int kInputs = MaxSampleListEntries, kSamples = 300;
  for (int k = 1; k <= kInputs; ++k) {
    std::string name = std::to_string(k);
    name.insert(name.begin(), 'v');
    Name(in_, k, name.c_str());
  }
  Name(out_, 1, "y");
  ASSERT_TRUE(SampleOutput().Open(Setup("wide.sam", kSamples)));
  std::vector<double> in(kInputs), out(1);
  std::string samLines, saeLines;
  char text[kSampleValueWidth];
  for (int s = 0; s < kSamples; ++s) {
    for (int k = 0; k < kInputs; ++k) in[k] = s * 1000.0 + k + 0.25;
    out[0] = -s - 0.5;
    SampleOutput().WriteSample(in.data(), out.data());
    for (int c = 0; c <= kInputs; ++c) {
      FormatSampleValue(c < kInputs ? in[c] : out[0], text);
      samLines.append(text, kSampleValueWidth).append("\r\n");
      if (c) saeLines += ", ";
      saeLines.append(text, kSampleValueWidth);
    }
    saeLines += "\r\n";
    if (s == 122) {
      EXPECT_EQ(SampleOutput().SamplesWritten(0), 123);
    }
  }
  SampleOutput().Close(true);
  EXPECT_EQ(SampleOutput().SamplesWritten(0), kSamples);
  EXPECT_EQ(SampleOutput().SamplesWritten(1), kSamples);
  EXPECT_TRUE(SampleOutput().TakeMessages().empty());
  std::string sam = ReadAll(dir_ / "wide.sam");
  std::string count = "300    ;* Number of samples per variable\r\n";
  std::size_t body = sam.find(count);
  ASSERT_NE(body, std::string::npos);
  EXPECT_TRUE(sam.substr(body + count.size()) == samLines) << "the .sam samples differ";
  std::string sae = ReadAll(dir_ / "wide.sae");
  EXPECT_TRUE(sae.substr(sae.find("\r\n") + 2) == saeLines) << "the .sae samples differ";
}

// An aborted run closes the files with every sample it took, and neither
// draws nor corrects anything more.
TEST_F(SampleFilesTest, AbandonKeepsTheSamplesTaken) {
  Name(in_, 1, "a");
  Name(out_, 1, "y");
  SampleFileSetup s = Setup("cut.SAP.sam", 5000);
  s.uniform = &FixedUniform;
  ASSERT_TRUE(SampleOutput().Open(s));
  for (int i = 0; i < 3001; ++i) {
    Values(i, 0, -i);
    SampleOutput().WriteSample(in_, out_);
  }
  SampleOutput().Abandon();
  EXPECT_FALSE(SampleOutput().IsOpen(0));
  EXPECT_EQ(SampleOutput().SamplesWritten(0), 3001);
  EXPECT_TRUE(SampleOutput().TakeMessages().empty());
  std::string sam = ReadAll(dir_ / "cut.SAP.sam");
  std::string count = "5000    ;* Number of samples per variable\r\n";
  std::size_t body = sam.find(count);
  ASSERT_NE(body, std::string::npos) << "the announced count stays";
  EXPECT_EQ(sam.size() - body - count.size(), 3001u * 2 * 13) << "no pairs drawn";
  EXPECT_EQ(sam.substr(sam.size() - 26), " 3.0000E+03\r\n-3.0000E+03\r\n");
  std::string sae = ReadAll(dir_ / "cut.SAP.sae");
  EXPECT_EQ(sae.substr(sae.size() - 26), " 3.0000E+03, -3.0000E+03\r\n");
}

TEST_F(SampleFilesTest, WriteFailureIsReported) {
  if (!fs::exists("/dev/full")) GTEST_SKIP();
  Name(in_, 1, "x");
  fs::create_symlink("/dev/full", dir_ / "full.sam");
  ASSERT_TRUE(SampleOutput().Open(Setup("full.sam", 2)));
  for (int i = 0; i < 100000; ++i) SampleOutput().WriteSample(in_, out_);
  EXPECT_FALSE(SampleOutput().IsOpen(0));  // the ".sam" file failed and was closed
  EXPECT_TRUE(SampleOutput().IsOpen(1));
  SampleOutput().Close(true);
  auto messages = SampleOutput().TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Failed to write sample file " + (dir_ / "full.sam").string());
  EXPECT_EQ(SampleOutput().SamplesWritten(1), 100000);
}

}  // namespace
}  // namespace tesmira
