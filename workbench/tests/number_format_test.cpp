#include "number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tesmira::wb {
namespace {

constexpr double kPi = std::numbers::pi;

struct FormatCase {
  double value;
  int letter;  // 0 e, 1 f, 2 g
  int width;
  int precision;
  const char* text;
};

// clang-format off
const FormatCase kCases[] = {
  {kPi, 0, 0, 3, "3.14E+000"},
  {kPi, 1, 10, 3, "     3.142"},
  {kPi, 1, 0, 5, "3.14159"},
  {kPi, 2, 0, 5, "3.1416"},
  {kPi * 1e10, 2, 0, 5, "3.1416E+010"},
  // precision 0 counts as one significant digit for e and g
  {kPi, 0, 0, 0, "3E+000"},
  {kPi, 2, 0, 0, "3"},
  {kPi, 1, 0, 0, "3"},
  {kPi, 0, 0, 18, "3.14159265358979312E+000"},
  {-kPi, 0, 12, 3, "  -3.14E+000"},
  {-kPi, 2, 20, 5, "             -3.1416"},
  {1.5, 1, 20, 1, "                 1.5"},
  // half up from the decimal expansion, carries into a new digit
  {-2.5, 1, 0, 0, "-3"},
  {0.125, 1, 0, 2, "0.13"},
  {99.95, 1, 0, 1, "100.0"},
  {9.9999, 0, 0, 3, "1.00E+001"},
  {0.5, 1, 0, 0, "1"},
  {0.004, 1, 0, 2, "0.00"},
  {0.005, 1, 0, 2, "0.01"},
  // zero
  {0.0, 0, 0, 3, "0.00E+000"},
  {0.0, 1, 0, 2, "0.00"},
  {0.0, 2, 0, 5, "0"},
  // extremes
  {1e300, 0, 0, 3, "1.00E+300"},
  {1e-300, 0, 0, 5, "1.0000E-300"},
  {-1e-300, 0, 0, 1, "-1E-300"},
  {1e-300, 2, 0, 5, "1E-300"},
  {1e-300, 1, 0, 5, "0.00000"},
  {-1e-300, 1, 0, 2, "-0.00"},
  // g: switches to the exponent form as C's %g does and drops trailing zeros
  {123456.0, 2, 0, 5, "1.2346E+005"},
  {12345.0, 2, 0, 5, "12345"},
  {1e5, 2, 0, 5, "1E+005"},
  {0.0001, 2, 0, 3, "0.0001"},
  {0.00001, 2, 0, 3, "1E-005"},
  {2.5, 2, 0, 5, "2.5"},
  {100.0, 2, 0, 5, "100"},
  {0.1, 2, 0, 18, "0.100000000000000006"},
  {-0.30000000000000004, 2, 0, 2, "-0.3"},
  {1234.5678, 2, 0, 18, "1234.56780000000003"},
  // a width smaller than the text does not cut it
  {kPi, 0, 2, 3, "3.14E+000"},
};
// clang-format on

TEST(NumberFormat, Table) {
  for (const FormatCase& c : kCases)
    EXPECT_EQ(FormatNumberAs(c.value, c.letter, c.width, c.precision), c.text)
        << c.value << " letter " << c.letter << " width " << c.width << " precision "
        << c.precision;
}

TEST(NumberFormat, LargeFixedKeepsEveryIntegerDigit) {
  std::string s = FormatNumberAs(1e300, 1, 0, 0);
  ASSERT_EQ(s.size(), 301u);
  EXPECT_EQ(s.substr(0, 18), "100000000000000005");
  EXPECT_EQ(s.find_first_not_of('0', 18), std::string::npos);
  EXPECT_EQ(FormatNumberAs(-1e300, 1, 0, 18).size(), 1u + 301u + 1u + 18u);
}

TEST(NumberFormat, EveryWidthAndPrecisionPadsToTheWidth) {
  for (int letter = 0; letter <= 2; ++letter)
    for (int width = 0; width <= 20; ++width)
      for (int precision = 0; precision <= 18; ++precision) {
        std::string s = FormatNumberAs(-kPi * 1e-7, letter, width, precision);
        std::string bare = FormatNumberAs(-kPi * 1e-7, letter, 0, precision);
        ASSERT_EQ(s.size(), std::max<std::size_t>(width, bare.size()));
        ASSERT_EQ(s.substr(s.size() - bare.size()), bare);
      }
}

TEST(NumberFormat, SettingsChooseTheFormat) {
  TDisplaySettings s;  // g, width 0, precision 5, correlations 2
  EXPECT_EQ(FormatNumber(kPi, s), "3.1416");
  EXPECT_EQ(FormatCorrelation(0.3, s), "0.30");
  EXPECT_EQ(FormatCorrelation(-0.125, s), "-0.13");
  s.fpformat = 1;
  s.fpprecisionCMX = 0;
  EXPECT_EQ(FormatNumber(kPi, s), "3.14159");
  EXPECT_EQ(FormatCorrelation(0.7, s), "1");
}

}  // namespace
}  // namespace tesmira::wb
