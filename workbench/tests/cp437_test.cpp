#include "cp437.h"

#include <gtest/gtest.h>

namespace tesmira::wb {
namespace {

TEST(Cp437, BoxCharactersAndGreekLettersCrossBothWays) {
  const std::string cp437 = "\xDA\xC4\xBF \xE0=\xE5 \xF8 abc";
  const std::string utf8 = "┌─┐ α=σ ° abc";
  EXPECT_EQ(Cp437ToUtf8(cp437), utf8);
  EXPECT_EQ(Utf8ToCp437(utf8), cp437);
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    ASSERT_EQ(Utf8ToCp437(Cp437ToUtf8(one)), one) << b;
  }
  EXPECT_EQ(Utf8ToCp437("€\xFFx"), "??x");
}

}  // namespace
}  // namespace tesmira::wb
