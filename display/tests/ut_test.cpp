#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ut/command_line.h"
#include "ut/exception.h"
#include "ut/file.h"
#include "ut/strings.h"
#include "ut/version.h"

namespace {

struct FieldCase {
  const char* text;
  const char* delimiter;
  std::vector<std::string> fields;
};

TEST(UtStrings, DelimitedFields) {
  const FieldCase cases[] = {
      {"", ",", {}},
      {",,,", ",", {}},
      {",a,,b,", ",", {"a", "b"}},
      {"a--b", "--", {"a", "b"}},
      {"a-b", "--", {"a-b"}},
      {"x, y ,z", ",", {"x", " y ", "z"}},
      {"abc", ",", {"abc"}},
  };
  for (const FieldCase& c : cases) {
    ut::String s(c.text);
    SCOPED_TRACE(std::string("text '") + c.text + "'");
    ASSERT_EQ(s.count_delimited_fields(c.delimiter), static_cast<int>(c.fields.size()));
    for (std::size_t i = 0; i < c.fields.size(); ++i) {
      ut::String field("unchanged");
      ASSERT_TRUE(s.delimited_field(c.delimiter, static_cast<int>(i), field));
      EXPECT_EQ(field, c.fields[i]);
    }
    ut::String out("unchanged");
    EXPECT_FALSE(s.delimited_field(c.delimiter, static_cast<int>(c.fields.size()), out));
    EXPECT_EQ(out, "unchanged");
  }
}

TEST(UtStrings, BlankDelimiterThrows) {
  ut::String s("a,b");
  ut::String out;
  for (int which = 0; which < 2; ++which) {
    try {
      if (which == 0) {
        s.count_delimited_fields("");
      } else {
        s.delimited_field("", 0, out);
      }
      FAIL() << "no exception";
    } catch (const ut::Exception& e) {
      EXPECT_EQ(e.message(), "Delimiter string cannot be blank");
      EXPECT_EQ(e.function_name(), "String::count_delimited_fields");
    }
  }
}

TEST(UtStrings, TrimLowerCompare) {
  ut::String s(" \t\r\n\v\fab c\t \r\n");
  s.trim();
  EXPECT_EQ(s, "ab c");
  ut::String blanks(" \t \t");
  blanks.trim();
  EXPECT_EQ(blanks, "");
  ut::String mixed("SaM.Hdr-\xC4");
  mixed.to_lower();
  EXPECT_EQ(mixed, "sam.hdr-\xC4");
  EXPECT_EQ(ut::compare_nocase("SAM", "sam"), 0);
  EXPECT_LT(ut::compare_nocase("abc", "ABD"), 0);
  EXPECT_GT(ut::compare_nocase("abcd", "ABC"), 0);
  EXPECT_EQ(ut::String(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(ut::int_to_string(-1234), "-1234");
  EXPECT_EQ(ut::int_to_string(0), "0");
}

TEST(UtFile, PathHelpers) {
  EXPECT_EQ(ut::file_name("C:\\data\\run.sam", true), "run.sam");
  EXPECT_EQ(ut::file_name("C:\\data\\run.sam", false), "run");
  EXPECT_EQ(ut::file_name("run.sam", true), "run.sam");
  EXPECT_EQ(ut::file_name("/home/u/run.sam", true), "run.sam");
  EXPECT_EQ(ut::file_name("x", false), "x");
  EXPECT_EQ(ut::file_name("C:\\data\\run", false), "run");
  EXPECT_EQ(ut::file_extension("C:\\data\\run.SAM"), "SAM");
  EXPECT_EQ(ut::file_extension("C:\\data\\run"), "");
  EXPECT_EQ(ut::file_extension("C:\\x.y\\run"), "y\\run");
  EXPECT_EQ(ut::long_path_name("C:\\a"), "\\\\?\\C:\\a");
  EXPECT_EQ(ut::long_path_name("\\\\?\\C:\\a"), "\\\\?\\C:\\a");
}

TEST(UtFile, ReadsInPiecesAndReportsErrors) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("ut_file_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::path big = dir / "big.bin";
  std::string content(300000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  std::ofstream(big, std::ios::binary) << content;

  ut::File f(big.string(), 0);
  EXPECT_EQ(f.Size(), content.size());
  std::string buf(content.size() + 10, 'x');
  EXPECT_EQ(f.ReadBuf(buf.data(), buf.size()), content.size());
  EXPECT_EQ(buf.substr(0, content.size()), content);
  EXPECT_EQ(buf.substr(content.size()), std::string(10, 'x'));

  try {
    ut::File missing((dir / "no such.sae").string(), 0);
    FAIL() << "opened a missing file";
  } catch (const ut::Exception& e) {
    EXPECT_EQ(e.message(), "Could not open file \"no such.sae\" - No such file or directory");
    EXPECT_EQ(e.function_name(), "File::File");
  }
  ut::File none(big.string(), 7);  // no such mode: nothing opened, nothing thrown
  try {
    none.Size();
    FAIL();
  } catch (const ut::Exception& e) {
    EXPECT_EQ(e.message(), "Could not read size of file \"big.bin\" - Bad file descriptor");
    EXPECT_EQ(e.function_name(), "File::Size");
  }
  try {
    char c;
    none.ReadBuf(&c, 1);
    FAIL();
  } catch (const ut::Exception& e) {
    EXPECT_EQ(e.message(), "Error reading from file \"big.bin\" - Bad file descriptor");
    EXPECT_EQ(e.function_name(), "File::ReadBuf");
  }
  {
    ut::File created((dir / "new.bin").string(), 2);
    EXPECT_EQ(created.Size(), 0u);
  }
  EXPECT_TRUE(fs::exists(dir / "new.bin"));
  fs::remove_all(dir);
}

struct TokenCase {
  const char* line;
  bool balanced;
  std::vector<std::string> tokens;
};

TEST(UtCommandLine, Tokenizer) {
  const TokenCase cases[] = {
      {"tesplore   \trun.sam", true, {"tesplore", "run.sam"}},
      {"tesplore \"C:\\My Data\\run.sam\"", true, {"tesplore", "C:\\My Data\\run.sam"}},
      {"tesplore \"run.sam", false, {}},
      {"a \"\" b", true, {"a", "b"}},
      {"a b ", true, {"a", "b"}},
      {"ab\"c d\"e", true, {"abc de"}},
      {"\"\" x", true, {"", "x"}},
      {"", true, {""}},
      {" \t ", true, {""}},
      {"-loadmodularsample x.samhdr", true, {"-loadmodularsample", "x.samhdr"}},
      {"a\nb c", true, {"a\nb", "c"}},
  };
  for (const TokenCase& c : cases) {
    SCOPED_TRACE(c.line);
    ut::StringVector tokens{"stale"};
    EXPECT_EQ(ut::tokenize_command_line(c.line, tokens), c.balanced);
    ASSERT_EQ(tokens.size(), c.tokens.size());
    for (std::size_t i = 0; i < tokens.size(); ++i) EXPECT_EQ(tokens[i], c.tokens[i]);
  }
}

TEST(UtVersion, ReadsTheMarker) {
  namespace fs = std::filesystem;
  // This test program carries the display program's version.
  EXPECT_STREQ(ut::program_version_text(), "2.3.0.0");
  int major = -1, minor = -1;
  ASSERT_TRUE(ut::get_file_version("/proc/self/exe", major, minor));
  EXPECT_EQ(major, 2);
  EXPECT_EQ(minor, 3);

  fs::path dir = fs::temp_directory_path() / ("ut_version_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  // A marker after more than one read chunk, preceded by a marker without a version.
  std::string bytes(1 << 20, 'z');
  bytes.replace(100, 30, std::string(ut::kVersionMarker) + "x.y");
  bytes += std::string(ut::kVersionMarker) + "4.17.2.9" + std::string(1, '\0') + "tail";
  std::ofstream(dir / "prog", std::ios::binary) << bytes;
  ASSERT_TRUE(ut::get_file_version((dir / "prog").string(), major, minor));
  EXPECT_EQ(major, 4);
  EXPECT_EQ(minor, 17);

  std::ofstream(dir / "plain", std::ios::binary) << "no version here";
  major = minor = -7;
  EXPECT_FALSE(ut::get_file_version((dir / "plain").string(), major, minor));
  EXPECT_FALSE(ut::get_file_version((dir / "missing").string(), major, minor));
  EXPECT_EQ(major, -7);
  EXPECT_EQ(minor, -7);
  fs::remove_all(dir);
}

}  // namespace
