#include <gtest/gtest.h>

#include <cmath>

#include "fn/sample_data.h"
#include "sample_files.h"
#include "ut/exception.h"

namespace {

using testfiles::TempDir;

struct ErrorCase {
  const char* what;
  std::string text;
  std::string message;
  std::string function;
};

// Loads text as a file of that extension and expects the error.
void ExpectErrors(const char* extension, const std::vector<ErrorCase>& cases) {
  TempDir dir;
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = dir.Write(std::string("bad.") + extension, c.text);
    fn::SampleData set(testfiles::Cancelling());
    try {
      set.SetFile(path, fn::SampleFileTypeOf(path));
      ADD_FAILURE() << "loaded without an error";
    } catch (const ut::Exception& e) {
      EXPECT_EQ(e.message(), c.message);
      EXPECT_EQ(e.function_name(), c.function);
    }
  }
}

const std::string kSamHeader = "SamSampleFileReader::ReadHeader";
const std::string kSamLoad = "SamSampleFileReader::LoadSortSamples";

TEST(ReaderErrors, Sam) {
  const std::string head = "2\na\nb\n0\n";
  ExpectErrors(
      "sam",
      {
          {"empty file", "", "Number of input variables expected in line 1.", kSamHeader},
          {"no count", "; remark\nabc\n", "Number of input variables expected in line 2.",
           kSamHeader},
          {"negative count", "-1\na\n", "Number of input variables expected in line 1.",
           kSamHeader},
          {"names end early", "2\na\n", "Name of input variable expected in line 3.", kSamHeader},
          {"names end in remarks", "2\na\n; only a remark\n\n",
           "Name of input variable expected in line 5.", kSamHeader},
          {"no output count", "1\na\nb\n", "Number of output variables expected in line 3.",
           kSamHeader},
          {"output names end", "1\na\n2\nb\n", "Name of output variable expected in line 5.",
           kSamHeader},
          {"sample count 0", head + "0    ;* Number of samples per variable\n1\n",
           "Number of samples in line 5.", kSamHeader},
          {"negative sample count", head + "-3\n1\n", "Number of samples in line 5.", kSamHeader},
          {"no sample count", head + "; remark\n\n", "Number of samples in line 7.", kSamHeader},
          {"nothing after the header", head + "5    ;* Number of samples per variable\n",
           "Can't read past header (line 6).", kSamHeader},
          {"blank data line", head + "2\n1\n\n3\n4\n",
           "Can't read sample 1 of variable \"b\" defined in line 7.", kSamLoad},
          {"data end early", head + "2\n1\n2\n3\n",
           "Can't read sample 2 of variable \"b\" defined in line 9.", kSamLoad},
          {"text in the data", head + "2\n1\n2\nx3\n4\n",
           "Can't read sample 2 of variable \"a\" defined in line 8.", kSamLoad},
          {"not a number", head + "2\n1\n2\nnan\n4\n",
           "Sample 2 of variable \"a\" is not a finite number.", kSamLoad},
          {"beyond the float range", head + "1\n1e39\n2\n",
           "Sample 1 of variable \"a\" is not a finite number.", kSamLoad},
          {"hexadecimal beyond the float range", head + "1\n-0x1p200\n2\n",
           "Sample 1 of variable \"a\" is not a finite number.", kSamLoad},
          {"no variables", "0\n0\n1\n1\n", "There are no random variables in the SAM file",
           kSamLoad},
      });
}

TEST(ReaderErrors, SamFileNotOpened) {
  TempDir dir;
  for (const std::string& path : {dir.File("missing.sam"), dir.path().string()}) {
    fn::SampleData set(testfiles::Cancelling());
    try {
      set.SetFile(path, fn::SampleFileSam);
      ADD_FAILURE() << path;
    } catch (const ut::Exception& e) {
      EXPECT_EQ(e.message(), "Can't open sample file \"" + path + "\"");
      EXPECT_EQ(e.function_name(), kSamHeader);
    }
  }
}

TEST(ReaderErrors, Sae) {
  const std::string k = "SaeSampleFileReader::ReadHeader";
  const std::string l = "SaeSampleFileReader::LoadSortSamples";
  ExpectErrors("sae",
               {
                   {"empty file", "", "Invalid SAE file format", k},
                   {"white space only", " \r\n\t\r\n", "Invalid SAE file format", k},
                   {"only commas", ",,,\n1\n", "Invalid SAE file format", k},
                   {"names but no samples", "a, b\r\n\r\n", "Invalid SAE file format", k},
                   {"one comma too many", "a,b\n1,2\n3,4,\n",
                    "Error reading sample line 2 in the SAE file.", l},
                   {"one value too few", "a,b\n1,2\n3,4\n5\n",
                    "Error reading sample line 3 in the SAE file.", l},
                   {"decimal comma", "a\n1,5\n", "Error reading sample line 1 in the SAE file.", l},
                   {"infinite value", "a,b\n1,2\n3,4\n5,inf\n",
                    "Sample 3 of variable \"b\" is not a finite number.", l},
                   {"beyond the float range", "a,b\n1,-1e300\n",
                    "Sample 1 of variable \"b\" is not a finite number.", l},
               });
  TempDir dir;
  fn::SampleData set(testfiles::Cancelling());
  try {
    set.SetFile(dir.File("missing.sae"), fn::SampleFileSae);
    ADD_FAILURE();
  } catch (const ut::Exception& e) {
    EXPECT_EQ(e.message(), "Could not open file \"missing.sae\" - No such file or directory");
    EXPECT_EQ(e.function_name(), "File::File");
  }
}

std::string Header(const std::string& inner,
                   const std::string& root_attributes = " version=\"1\"") {
  return "<?xml version=\"1.0\"?>\n<pellian_modular_sample_header" + root_attributes + ">" + inner +
         "</pellian_modular_sample_header>\n";
}

std::string Variable(const std::string& name, const std::string& type = "0",
                     const std::string& functional = "0", bool description = true,
                     const std::string& file = "v.bin") {
  std::string v = "<random_variable>";
  if (!name.empty()) v += "<name>" + name + "</name>";
  if (!file.empty()) v += "<binary_sample_filename>" + file + "</binary_sample_filename>";
  if (description) v += "<description>d</description>";
  return v + "<type>" + type + "</type><is_functional>" + functional +
         "</is_functional></random_variable>";
}

TEST(ReaderErrors, Samhdr) {
  const std::string o = "ModularSampleHeaderFileReader::OpenExistingXmlDoc";
  const std::string r = "ModularSampleHeaderFileReader::ReadHeader";
  const std::string n10 = "<number_of_samples>10</number_of_samples>";
  const std::string ok_root = "<pellian_modular_sample_header version=\"1\">" + n10 +
                              Variable("x") + "</pellian_modular_sample_header>";
  ExpectErrors(
      "samhdr",
      {
          {"declaration, comment, root", "<?xml version=\"1.0\"?><!-- c -->" + ok_root,
           "Invalid SAMHDR file format.", o},
          {"root, then a comment", ok_root + "<!-- c -->", "Invalid SAMHDR file format.", o},
          {"other root", "<sample_header version=\"1\"/>", "Invalid SAMHDR file format.", o},
          {"root name with a prefix",
           "<p:pellian_modular_sample_header xmlns:p=\"u\" version=\"1\">" + n10 + Variable("x") +
               "</p:pellian_modular_sample_header>",
           "Invalid SAMHDR file format.", o},
          {"no version", Header(n10 + Variable("x"), ""), "Invalid SAMHDR file format.", o},
          {"version 2", Header(n10 + Variable("x"), " version=\"2\""),
           "SAMHDR file format is the wrong version", o},
          {"no sample count", Header(Variable("x")), "File does not specify the number of samples.",
           r},
          {"sample count 0", Header("<number_of_samples>0</number_of_samples>" + Variable("x")),
           "Invalid number of samples.", r},
          {"sample count abc", Header("<number_of_samples>abc</number_of_samples>" + Variable("x")),
           "Invalid number of samples.", r},
          {"negative sample count",
           Header("<number_of_samples>-5</number_of_samples>" + Variable("x")),
           "Invalid number of samples.", r},
          {"no name", Header(n10 + Variable("")),
           "Random variable XML node contains no variable name.", r},
          {"no binary file", Header(n10 + Variable("x", "0", "0", true, "")),
           "Random variable XML node contains no binary sample filename.", r},
          {"type 2", Header(n10 + Variable("x", "2")),
           "Invalid random variable distribution type (continuous or discrete) for \"x\"", r},
          {"type beyond the integer range", Header(n10 + Variable("x", "99999999999999999999")),
           "Invalid random variable distribution type (continuous or discrete) for \"x\"", r},
          {"sample count beyond the integer range",
           Header("<number_of_samples>123456789012345678901</number_of_samples>" + Variable("x")),
           "Invalid number of samples.", r},
          {"functional 3", Header(n10 + Variable("x", "0", "3")),
           "Invalid random variable type (probabilistic or functional) for \"x\"", r},
          {"no description", Header(n10 + Variable("x", "0", "0", false)),
           "An unknown error has occurred while parsing the file.", r},
          {"no variables", Header(n10), "File contains no random variables.", r},
      });
}

TEST(ReaderErrors, SamhdrXmlAndBinaryFiles) {
  TempDir dir;
  const std::string l = "ModularSampleHeaderFileReader::LoadSortSamples";
  auto load_error = [&](const std::string& header) -> ut::Exception {
    std::string path = dir.Write("e.samhdr", header);
    fn::SampleData set(testfiles::Cancelling());
    try {
      set.SetFile(path, fn::SampleFileSamhdr);
    } catch (const ut::Exception& e) {
      return e;
    }
    return ut::Exception("no error", "");
  };
  ut::Exception bad_xml = load_error("<pellian_modular_sample_header version=\"1\"><a></b>");
  EXPECT_EQ(bad_xml.function_name(), "ModularSampleHeaderFileReader::OpenExistingXmlDoc");
  EXPECT_EQ(bad_xml.message().rfind("XML error in file \"e.samhdr\" at line 1, column ", 0), 0u)
      << bad_xml.message();

  // Shorter than the header says: an error naming the file, never zeros.
  dir.Write("short.bin", testfiles::FloatBytes(std::vector<float>(10, 1.0f)));
  ut::Exception shorter = load_error(testfiles::SamhdrText(100, {{"s", "short.bin", ""}}));
  EXPECT_EQ(shorter.message(),
            "Binary sample file \"short.bin\" of variable \"s\" holds 10 samples, the header "
            "announces 100.");
  EXPECT_EQ(shorter.function_name(), l);

  std::vector<float> with_nan(5, 2.0f);
  with_nan[3] = std::nanf("");
  dir.Write("nan.bin", testfiles::FloatBytes(with_nan));
  ut::Exception nan = load_error(testfiles::SamhdrText(5, {{"n", "nan.bin", ""}}));
  EXPECT_EQ(nan.message(), "Sample 4 of variable \"n\" is not a finite number.");
  EXPECT_EQ(nan.function_name(), l);

  ut::Exception missing = load_error(testfiles::SamhdrText(5, {{"m", "none.bin", ""}}));
  EXPECT_EQ(missing.message(), "Could not open file \"none.bin\" - No such file or directory");
  EXPECT_EQ(missing.function_name(), "File::File");

  ut::Exception no_header = load_error("");
  EXPECT_EQ(no_header.function_name(), "ModularSampleHeaderFileReader::OpenExistingXmlDoc");
}

}  // namespace
