#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "files/sample_files.h"
#include "text/value_text.h"

namespace tesmira {
namespace {

std::string Text11(double v) {
  char buf[16];
  return std::string(buf, FormatSampleValue(v, buf));
}
std::string Text13(double v) {
  char buf[16];
  return std::string(buf, FormatSampleValue13(v, buf));
}

TEST(SampleValueText, DocumentedTexts) {
  struct Case {
    double value;
    const char* text13;
    const char* text11;
  };
  const Case cases[] = {
      {123.45, " 1.2345E+0002", " 1.2345E+02"},      {-0.000123456, "-1.2346E-0004", "-1.2346E-04"},
      {0.0, " 0.0000E+0000", " 0.0000E+00"},         {99999.5, " 1.0000E+0005", " 1.0000E+05"},
      {1.23456e150, " 1.2346E+0150", " 1.234E+150"}, {2.5e-150, " 2.5000E-0150", " 2.500E-150"},
      {1.03125, " 1.0313E+0000", " 1.0313E+00"},     {-1e-100, "-1.0000E-0100", "-1.000E-100"},
      {-0.3, "-3.0000E-0001", "-3.0000E-01"},        {4.5, " 4.5000E+0000", " 4.5000E+00"},
      {1.0, " 1.0000E+0000", " 1.0000E+00"},         {-0.0, " 0.0000E+0000", " 0.0000E+00"},
      {9.99995e99, " 1.0000E+0100", " 1.000E+100"},  {1.5e308, " 1.5000E+0308", " 1.500E+308"},
      {5e-324, " 4.9407E-0324", " 4.940E-324"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text13(c.value), c.text13) << c.value;
    EXPECT_EQ(Text11(c.value), c.text11) << c.value;
  }
}

TEST(SampleValueText, NonFiniteRightAligned) {
  EXPECT_EQ(Text11(std::numeric_limits<double>::quiet_NaN()), "        Nan");
  EXPECT_EQ(Text11(std::numeric_limits<double>::infinity()), "       +Inf");
  EXPECT_EQ(Text11(-std::numeric_limits<double>::infinity()), "       -Inf");
}

TEST(SampleValueText, ShortFormKeepsTwoExponentDigits) {
  char buf[16];
  EXPECT_EQ(std::string(buf, FormatSampleValueShort(0.0005, buf)), " 5.0000E-04");
}

// Reference: the 18-digit expansion rounded half up at the fifth digit.
std::string Reference13(double v) {
  if (v == 0) return " 0.0000E+0000";
  char d[18];
  int e;
  DecimalDigits18(v, d, e);
  long long n = 0;
  for (int i = 0; i < 5; ++i) n = n * 10 + (d[i] - '0');
  if (d[5] >= '5') ++n;
  if (n == 100000) {
    n = 10000;
    ++e;
  }
  std::string digits = std::to_string(n);
  std::string out;
  out += v < 0 ? '-' : ' ';
  out += digits[0];
  out += '.';
  out += digits.substr(1);
  out += 'E';
  out += e < 0 ? '-' : '+';
  std::string ex = std::to_string(std::abs(e));
  out += std::string(4 - ex.size(), '0') + ex;
  return out;
}

TEST(SampleValueText, FastPathAgreesWithExactExpansion) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> mant(-10.0, 10.0);
  std::uniform_int_distribution<int> ex(-320, 305);
  for (int i = 0; i < 200000; ++i) {
    double v = mant(rng) * std::pow(10.0, ex(rng) % 40);
    if (i % 3 == 0) v = mant(rng) * std::pow(10.0, ex(rng));
    if (i % 7 == 0) v = std::round(v * 1e5) / 1e5 + 0.5e-5;  // near a rounding boundary
    if (!std::isfinite(v)) continue;
    ASSERT_EQ(Text13(v), Reference13(v)) << v;
  }
  // Exact halves at the fifth digit round up.
  for (int n = 10000; n < 100000; n += 7) {
    double v = (n + 0.5) / 8.0;  // exactly representable, some halves
    ASSERT_EQ(Text13(v), Reference13(v)) << v;
  }
}

TEST(NumberText, ScientificFifteenDigitsAndFixedLabels) {
  char buf[40];
  std::size_t n = FormatScientific(123.456789012346, 15, 4, buf);
  EXPECT_EQ(std::string(buf, n), " 1.23456789012346E+0002");
  n = FormatScientific(-2.0, 15, 4, buf);
  EXPECT_EQ(std::string(buf, n), "-2.00000000000000E+0000");
  EXPECT_EQ(FormatFixed(0.25, 2, 5), " 0.25");
  EXPECT_EQ(FormatFixed(99.75, 2, 5), "99.75");
  EXPECT_EQ(FormatFixed(1.0, 2, 5), " 1.00");
  EXPECT_EQ(FormatFixed(999.975, 2, 5), "999.98");
  EXPECT_EQ(FormatFixed(0.025, 2, 5), " 0.03");
  EXPECT_EQ(FormatFixed(0.0025, 2, 5), " 0.00");
  EXPECT_EQ(FormatFixed(9999.0, 2, 5), "9999.00");
  EXPECT_EQ(FormatFixed(9.996, 2, 5), "10.00");
  EXPECT_EQ(FormatFixed(0.125, 2, 5), " 0.13");
}

TEST(NumberText, AppendFixedWritesWhatFormatFixedWrites) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> values = {0.0,
                                -0.0,
                                0.5,
                                -0.5,
                                1.5,
                                2.5,
                                0.125,
                                0.025,
                                1.005,
                                999.975,
                                -0.004,
                                -0.005,
                                9.996,
                                4503599627370495.5,
                                1e300,
                                -1e-300,
                                std::numeric_limits<double>::infinity(),
                                NAN};
  for (int e = -10; e <= 16; ++e)
    for (int k = 0; k < 300; ++k) values.push_back((unit(rng) - 0.3) * std::pow(10.0, e));
  // Halves of every scale and their neighbours.
  for (int d = 0; d <= 6; ++d)
    for (int k = 0; k < 200; ++k) {
      double half = (std::floor(unit(rng) * 1e6) + 0.5) / std::pow(10.0, d);
      for (double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e9)})
        values.push_back(v), values.push_back(-v);
    }
  for (double v : values)
    for (int decimals = 0; decimals <= 7; ++decimals)
      for (int width : {0, 8, 12}) {
        std::string out = "x";
        AppendFixed(out, v, decimals, width);
        ASSERT_EQ(out, std::string("x").append(FormatFixed(v, decimals, width)))
            << v << " " << decimals;
      }
}

}  // namespace
}  // namespace tesmira
