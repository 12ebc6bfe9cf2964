#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <locale>
#include <random>

#include "fn/sae_reader.h"

#include "fn/sample_data.h"
#include "sample_files.h"
#include "ut/exception.h"

namespace {

using testfiles::Table;
using testfiles::TempDir;

// 3 inputs and 2 outputs, 250 samples, values over several decades and signs.
struct Fixture {
  std::vector<std::string> inputs{"X1", "Speed", "rate_3"};
  std::vector<std::string> outputs{"Y", "Total"};
  Table table;
  std::vector<std::vector<float>> columns;  // the values as 4-byte floats, per column

  Fixture() {
    const int n = 250;
    for (int s = 0; s < n; ++s) {
      std::vector<double> row;
      row.push_back(std::sin(s * 0.37) * 12.5);
      row.push_back(1e-3 * (s % 17) + 1e4 * (s % 3));
      row.push_back(-std::exp(0.05 * s));
      row.push_back(s * 0.5 - 60.0);
      row.push_back(std::pow(10.0, (s % 9) - 4) * 1.2345);
      table.push_back(row);
    }
    columns.assign(5, {});
    for (const auto& row : table) {
      for (int c = 0; c < 5; ++c) {
        // The float the text gives, read once from its decimal text.
        std::string text = testfiles::ValueText(row[c]);
        float f = 0;
        std::from_chars(text.data() + (text[0] == ' ' ? 1 : 0), text.data() + text.size(), f);
        columns[c].push_back(f);
      }
    }
  }
  std::vector<std::string> names() const {
    auto all = inputs;
    all.insert(all.end(), outputs.begin(), outputs.end());
    return all;
  }
};

struct Written {
  std::string sam, sae, samhdr;
};

Written WriteAll(const TempDir& dir, const Fixture& f) {
  Written w;
  w.sam = dir.Write("run.sam", testfiles::SamText(f.inputs, f.outputs, f.table));
  w.sae = dir.Write("run.sae", testfiles::SaeText(f.names(), f.table));
  std::vector<testfiles::HeaderVariable> vars;
  for (int c = 0; c < 5; ++c) {
    std::string file = "col" + std::to_string(c) + ".bin";
    dir.Write(file, testfiles::FloatBytes(f.columns[c]));
    vars.push_back({f.names()[c], file, "d" + std::to_string(c), 0, c >= 3 ? 1 : 0});
  }
  w.samhdr = dir.Write("run.samhdr", testfiles::SamhdrText(250, vars));
  return w;
}

void ExpectSameSamples(const fn::SampleData& set, const Fixture& f) {
  ASSERT_EQ(set.NumVariables(), 5u);
  EXPECT_EQ(set.GetNumSamples(), 250u);
  EXPECT_EQ(set.GetNumSamplesInFile(), 250u);
  for (int c = 0; c < 5; ++c) {
    const fn::CTesploreVar& v = set.GetVariable(c);
    EXPECT_EQ(v.GetName(), f.names()[c]);
    ASSERT_EQ(v.GetSamples(), f.columns[c]) << "column " << c;
    EXPECT_EQ(v.GetMin(), *std::min_element(f.columns[c].begin(), f.columns[c].end()));
    EXPECT_EQ(v.GetMax(), *std::max_element(f.columns[c].begin(), f.columns[c].end()));
  }
}

std::unique_ptr<fn::SampleData> Load(const std::string& path) {
  auto set = std::make_unique<fn::SampleData>(testfiles::Cancelling());
  EXPECT_TRUE(set->SetFile(path, fn::SampleFileTypeOf(path)));
  return set;
}

TEST(Readers, ThreeFormatsLoadTheSameSampleSet) {
  TempDir dir;
  Fixture f;
  Written w = WriteAll(dir, f);
  auto sam = Load(w.sam);
  auto sae = Load(w.sae);
  auto hdr = Load(w.samhdr);
  ExpectSameSamples(*sam, f);
  ExpectSameSamples(*sae, f);
  ExpectSameSamples(*hdr, f);
  for (int c = 0; c < 5; ++c) {
    for (int q = 0; q < 101; ++q) {
      EXPECT_EQ(sam->GetVariable(c).GetQuantiles()[q], sae->GetVariable(c).GetQuantiles()[q]);
      EXPECT_EQ(sam->GetVariable(c).GetQuantiles()[q], hdr->GetVariable(c).GetQuantiles()[q]);
    }
  }
  // Counts: the text sample file knows inputs and outputs; the other formats
  // count every variable as an input.
  EXPECT_EQ(sam->GetKeptInputs(), 3);
  EXPECT_EQ(sam->GetKeptOutputs(), 2);
  EXPECT_EQ(sam->NumVariablesInFile(), 5);
  EXPECT_TRUE(sam->GetVariable(3).GetIsOutput());
  EXPECT_EQ(sae->GetKeptInputs(), 5);
  EXPECT_EQ(sae->GetKeptOutputs(), 0);
  EXPECT_EQ(hdr->GetKeptInputs(), 5);
  EXPECT_EQ(hdr->GetKeptOutputs(), 0);
  EXPECT_TRUE(hdr->GetVariable(4).GetIsOutput());  // from is_functional
  EXPECT_FALSE(hdr->GetVariable(0).GetIsOutput());
  EXPECT_EQ(hdr->GetVariable(2).GetDescription(), "d2");
  EXPECT_EQ(sam->GetFileName(), w.sam);
  EXPECT_EQ(sae->GetFileName(), w.sae);
  EXPECT_EQ(hdr->GetFileName(), w.samhdr);
}

// Sets a comma-decimal locale for the C library and the C++ streams while it lives.
class CommaLocale {
 public:
  CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
      if (std::setlocale(LC_ALL, name)) {
        name_ = name;
        break;
      }
    }
    if (!name_.empty()) old_ = std::locale::global(std::locale(name_.c_str()));
  }
  ~CommaLocale() {
    std::setlocale(LC_ALL, "C");
    if (!name_.empty()) std::locale::global(old_);
  }
  bool ok() const { return !name_.empty() && std::localeconv()->decimal_point[0] == ','; }

 private:
  std::string name_;
  std::locale old_;
};

TEST(Readers, CommaDecimalLocaleLoadsTheSameValues) {
  TempDir dir;
  Fixture f;
  Written w = WriteAll(dir, f);
  CommaLocale locale;
  if (!locale.ok()) GTEST_SKIP() << "no locale with a decimal comma is installed";
  ExpectSameSamples(*Load(w.sam), f);
  ExpectSameSamples(*Load(w.sae), f);
  ExpectSameSamples(*Load(w.samhdr), f);
  // The selected samples are written with points as well.
  auto set = Load(w.sae);
  std::vector<bool> mask(250, true);
  std::string out = dir.File("sel.sam");
  ASSERT_TRUE(set->SaveSelSamples(out, 250, 250, mask));
  auto back = Load(out);
  ASSERT_EQ(back->NumVariables(), 5u);
  for (int c = 0; c < 5; ++c) {
    for (int s = 0; s < 250; ++s) {
      EXPECT_FLOAT_EQ(back->GetVariable(c).GetSamples()[s], f.columns[c][s]);
    }
  }
}

TEST(Readers, SamHeaderRemarksAndCounts) {
  TempDir dir;
  const std::string text =
      "; a remark\r\n"
      "\r\n"
      "   ; an indented remark\r\n"
      "4 names follow\r\n"
      "a\r\n"
      "\r\n"
      "b ; remark after a name\r\n"
      "; remark between names\r\n"
      "c;d\r\n"
      "\t e\r\n"
      "1; no blank before the remark\r\n"
      "out\r\n"
      "; before the sample count\r\n"
      "2    ;* Number of samples per variable\r\n"
      "1\r\n2\r\n3\r\n4\r\n5\r\n"
      "  +6.5e1 trailing text\n0x1.cp2\n1e-50\n9\n10\n";
  auto set = Load(dir.Write("h.SAM", text));
  ASSERT_EQ(set->NumVariables(), 5u);
  const char* names[] = {"a", "b", "c;d", "e", "out"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(set->GetVariable(i).GetName(), names[i]);
  EXPECT_EQ(set->GetKeptInputs(), 4);
  EXPECT_EQ(set->GetKeptOutputs(), 1);
  EXPECT_EQ(set->GetNumSamples(), 2u);
  EXPECT_EQ(set->GetVariable(0).GetSamples(), (std::vector<float>{1, 65}));
  EXPECT_EQ(set->GetVariable(4).GetSamples(), (std::vector<float>{5, 10}));
  // Hexadecimal values and values too small for a float, as the C library reads them.
  EXPECT_EQ(set->GetVariable(1).GetSamples(), (std::vector<float>{2, 7}));
  EXPECT_EQ(set->GetVariable(2).GetSamples(), (std::vector<float>{3, 0}));
}

TEST(Readers, SamLoadsAtMost16000Samples) {
  TempDir dir;
  Table table;
  for (int s = 0; s < 20000; ++s) table.push_back({static_cast<double>(s)});
  auto set = Load(dir.Write("big.sam", testfiles::SamText({"x"}, {}, table)));
  EXPECT_EQ(set->GetNumSamplesInFile(), 20000u);
  EXPECT_EQ(set->GetNumSamples(), 16000u);
  EXPECT_EQ(set->GetVariable(0).GetSamples().size(), 16000u);
  EXPECT_EQ(set->GetVariable(0).GetMax(), 15999.0f);
}

TEST(Readers, SaeLayouts) {
  TempDir dir;
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> names;
    std::vector<std::vector<float>> columns;
  };
  const Case cases[] = {
      {"blanks around commas", " a , b ,c\r\n1,2,3\r\n", {"a", "b", "c"}, {{1}, {2}, {3}}},
      {"commas at the ends and doubled", ",a,,b,\n1,2\n", {"a", "b"}, {{1}, {2}}},
      {"no line end at the end", "a,b\n1,2\n3,4", {"a", "b"}, {{1, 3}, {2, 4}}},
      {"single LF", "a,b\n1,2\n3,4\n", {"a", "b"}, {{1, 3}, {2, 4}}},
      {"CR LF and trailing blank lines",
       "a,b\r\n1,2\r\n3,4\r\n\r\n \r\n\t\r\n",
       {"a", "b"},
       {{1, 3}, {2, 4}}},
      {"blank lines between and before",
       "\r\n\r\na,b\r\n\r\n1,2\r\n   \r\n3,4\r\n",
       {"a", "b"},
       {{1, 3}, {2, 4}}},
      {"CR line ends", "a,b\r1,2\r3,4\r", {"a", "b"}, {{1, 3}, {2, 4}}},
      {"empty last field", "a,b,c\n1,2,\n", {"a", "b", "c"}, {{1}, {2}, {0}}},
      {"exponent, letters and signs",
       "a,b,c,d\n1e3, xyz,+2.5,-0.25E-2\n",
       {"a", "b", "c", "d"},
       {{1000}, {0}, {2.5f}, {-0.0025f}}},
      {"long field",
       "a\n" + std::string(200, ' ') + "12.5" + std::string(100, '0') + "\n",
       {"a"},
       {{12.5f}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto set = Load(dir.Write("layout.sae", c.text));
    ASSERT_EQ(set->NumVariables(), c.names.size());
    EXPECT_EQ(set->GetNumSamplesInFile(), c.columns[0].size());
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      EXPECT_EQ(set->GetVariable(i).GetName(), c.names[i]);
      EXPECT_EQ(set->GetVariable(i).GetSamples(), c.columns[i]);
    }
  }
}

TEST(Readers, SaeCountsAndLimits) {
  TempDir dir;
  std::string text = "a,b\n";
  for (int s = 0; s < 30000; ++s) text += std::to_string(s) + "," + std::to_string(-s) + "\n";
  auto set = Load(dir.Write("many.csv", text));
  EXPECT_EQ(set->GetNumSamplesInFile(), 30000u);
  EXPECT_EQ(set->GetNumSamples(), 16000u);
  EXPECT_EQ(set->GetVariable(1).GetMin(), -15999.0f);
}

TEST(Readers, SaeWithManyNamesLoadsInLinearTime) {
  TempDir dir;
  // 100 000 names and one sample: about 1 MB. Reading each name from the
  // start of the line took minutes.
  std::string names, values;
  for (int k = 0; k < 100000; ++k) {
    names += std::string(k ? "," : "").append(std::string("v").append(std::to_string(k)));
    values += k ? ",1" : "1";
  }
  const std::string path = dir.Write("wide.sae", names + "\n" + values + "\n");
  const auto t0 = std::chrono::steady_clock::now();
  auto set = Load(path);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(set->NumVariablesInFile(), 100000);
  EXPECT_LT(seconds, 10.0);  // well under a second when linear, also with sanitizers
}

TEST(Readers, SamhdrVariants) {
  TempDir dir;
  std::vector<float> a(100), b(100);
  for (int i = 0; i < 100; ++i) {
    a[i] = i * 0.5f;
    b[i] = -i * 2.0f;
  }
  dir.Write("a.bin", testfiles::FloatBytes(a));
  dir.Write("B.BIN", testfiles::FloatBytes(b));
  // Elements in another order, extra elements and comments, a name in another
  // case on disk, a version written 1.0, a header read from another folder.
  const std::string text =
      "<pellian_modular_sample_header version=\"1.0\">\n"
      "  <!-- a comment -->\n"
      "  <random_variable><is_functional>1</is_functional><type></type>\n"
      "    <description>first one</description><extra>x</extra>\n"
      "    <binary_sample_filename>a.bin</binary_sample_filename><name>A</name>\n"
      "    <name>ignored second name</name></random_variable>\n"
      "  <other/>\n"
      "  <random_variable><name> B </name><binary_sample_filename>b.bin</binary_sample_filename>\n"
      "    <description/><type>1</type><is_functional>0</is_functional></random_variable>\n"
      "  <number_of_samples> 100</number_of_samples>\n"
      "</pellian_modular_sample_header>\n";
  std::string path = dir.Write("v.samhdr", text);
  auto set = Load(path);
  ASSERT_EQ(set->NumVariables(), 2u);
  EXPECT_EQ(set->GetVariable(0).GetName(), "A");
  EXPECT_EQ(set->GetVariable(0).GetDescription(), "first one");
  EXPECT_EQ(set->GetVariable(0).GetVarType(), 0);
  EXPECT_TRUE(set->GetVariable(0).GetIsOutput());
  EXPECT_EQ(set->GetVariable(1).GetName(), "B");
  EXPECT_EQ(set->GetVariable(1).GetVarType(), 1);
  EXPECT_EQ(set->GetVariable(0).GetSamples(), a);
  EXPECT_EQ(set->GetVariable(1).GetSamples(), b);

  // Two variables of the same name read their own files.
  const std::string twins =
      "<?xml version=\"1.0\"?><pellian_modular_sample_header version=\" 1\">"
      "<number_of_samples>100</number_of_samples>"
      "<random_variable><name>T</name><binary_sample_filename>a.bin</binary_sample_filename>"
      "<description/><type>0</type><is_functional>0</is_functional></random_variable>"
      "<random_variable><name>T</name><binary_sample_filename>B.BIN</binary_sample_filename>"
      "<description/><type>0</type><is_functional>0</is_functional></random_variable>"
      "</pellian_modular_sample_header>";
  auto twin_set = Load(dir.Write("twins.samhdr", twins));
  EXPECT_EQ(twin_set->GetVariable(0).GetSamples(), a);
  EXPECT_EQ(twin_set->GetVariable(1).GetSamples(), b);

  // Many samples announced: 16000 are loaded.
  std::vector<float> big(500000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<float>(i);
  dir.Write("big.bin", testfiles::FloatBytes(big));
  auto many = Load(dir.Write("many.samhdr", testfiles::SamhdrText(500000, {{"x", "big.bin", ""}})));
  EXPECT_EQ(many->GetNumSamplesInFile(), 500000u);
  EXPECT_EQ(many->GetNumSamples(), 16000u);
  EXPECT_EQ(many->GetVariable(0).GetMax(), 15999.0f);
}

}  // namespace

namespace {

// Field texts of many shapes read exactly as the C library's strtod (C locale)
// reads them, rounded to float.
TEST(Readers, SaeFieldsReadAsStrtod) {
  std::mt19937 gen(5);
  auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
  std::vector<std::string> texts = {"0",
                                    "-0",
                                    "+1",
                                    ".5",
                                    "5.",
                                    "1e",
                                    "1e+",
                                    "-1.5E-3x",
                                    "00012.50",
                                    "1e22",
                                    "1e23",
                                    "9007199254740993",
                                    "123456789012345678",
                                    "0.000000000000000000000000001",
                                    "3.4028234e38",
                                    "1.17549435e-38",
                                    "1e-45",
                                    "7e-46",
                                    "  \t42",
                                    "abc",
                                    "-",
                                    "+-3",
                                    "0x1A",
                                    "-0x1.8p3",
                                    "+0X.8",
                                    "0x",
                                    "0x-1",
                                    "0xg",
                                    "0x1p-20000",
                                    "1e-400",
                                    "-1e-5000",
                                    "2.5e-4951"};
  for (int i = 0; i < 20000; ++i) {
    std::string t;
    if (pick(2)) t += pick(2) ? "-" : "+";
    int digits = 1 + pick(17);  // up to 10^36 with the exponent: inside the float range
    int point = pick(digits + 2) - 1;
    for (int d = 0; d < digits; ++d) {
      if (d == point) t += '.';
      t += static_cast<char>('0' + pick(10));
    }
    if (pick(3))
      t += std::string(pick(2) ? "e" : "E")
               .append(pick(2) ? "-" : "")
               .append(std::to_string(pick(20)));
    texts.push_back(t);
  }
  std::string text = "x\n";
  for (const auto& t : texts) text += t + "\n";
  std::vector<float> column(texts.size(), -1.0f);
  std::vector<float*> targets{column.data()};
  auto r = fn::SaeSampleFileReader::ParseSamples(text.data() + 2, text.data() + text.size(), 1,
                                                 targets, static_cast<std::uint32_t>(texts.size()));
  ASSERT_EQ(r.samples, texts.size()) << texts[r.samples];
  for (std::size_t i = 0; i < texts.size(); ++i) {
    float expected = static_cast<float>(std::strtod(texts[i].c_str(), nullptr));
    EXPECT_EQ(std::memcmp(&column[i], &expected, 4), 0)
        << "'" << texts[i] << "' read " << column[i] << ", strtod " << expected;
  }
}

}  // namespace
