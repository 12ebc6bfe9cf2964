#include "dependence/generator.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tesmira {
namespace {

// Expected streams computed independently with exact rational arithmetic:
// the values are the returned uniforms times 2^32.
struct TStreamCase {
  int32_t seed;
  uint32_t first[8];
  uint32_t draw100, draw1000;  // the 100th and 1000th values
  uint32_t stateAfter1000;     // base state after 1000 values
};

const TStreamCase kStreams[] = {
    {5,
     {2506775119u, 3905718859u, 1710895275u, 3426365533u, 2074608516u, 3904442421u, 624803503u,
      3138604757u},
     1406017828u,
     172085661u,
     1674934632u},
    {1,
     {3981467495u, 774714084u, 607289132u, 2121381776u, 1733689846u, 3107801150u, 437805113u,
      1638965300u},
     3330856612u,
     1694513183u,
     2856333300u},
    {4638,
     {2160821873u, 2153348964u, 1248418179u, 1825390936u, 883574045u, 4248604051u, 3123938519u,
      819192886u},
     1267857682u,
     2123336238u,
     1267011197u},
    {32767,
     {3985017015u, 346602666u, 4292282260u, 3123694637u, 1266399607u, 2904767585u, 3107018242u,
      3937995223u},
     3149624805u,
     3922310595u,
     1990462266u},
};

uint32_t Scaled(double u) { return static_cast<uint32_t>(u * 4294967296.0); }

TEST(RandomGenerator, ReproducesStreamsBitForBit) {
  for (const auto& c : kStreams) {
    SCOPED_TRACE(c.seed);
    int32_t idum = -c.seed;
    for (int i = 0; i < 1000; ++i) {
      double u = NextUniform(idum);
      ASSERT_GE(u, 0.0);
      ASSERT_LT(u, 1.0);
      // Every value is a multiple of 2^-32.
      ASSERT_EQ(static_cast<double>(Scaled(u)), u * 4294967296.0);
      if (i < 8) {
        EXPECT_EQ(Scaled(u), c.first[i]);
      }
      if (i == 99) {
        EXPECT_EQ(Scaled(u), c.draw100);
      }
      if (i == 999) {
        EXPECT_EQ(Scaled(u), c.draw1000);
      }
      EXPECT_EQ(idum, 1);
    }
    EXPECT_EQ(GeneratorSeed, c.seed);
    EXPECT_EQ(GeneratorState(), c.stateAfter1000);
  }
}

TEST(RandomGenerator, PositiveIdumContinuesAndIntegerDrawSharesState) {
  int32_t idum = -5;
  for (int i = 0; i < 3; ++i) NextUniform(idum);
  idum = 17;                          // any positive value continues
  EXPECT_EQ(RandomInteger(100), 99);  // (100 * state) div 2^32 after one step
  // The shuffle table still holds its entries: the next value is the 4th of the stream.
  EXPECT_EQ(Scaled(NextUniform(idum)), 3426365533u);
  EXPECT_EQ(idum, 17);
}

double FixedClock() { return 0.5; }  // noon: 32767 / 2 = 16383.5, halves to even
double LateClock() { return 0.99999999; }

TEST(RandomGenerator, ClockSeedRoundsHalvesToEven) {
  SetGeneratorClock(&FixedClock);
  int32_t idum = 0;
  NextUniform(idum);
  EXPECT_EQ(GeneratorSeed, 16384);
  EXPECT_EQ(idum, 1);
  SetGeneratorClock(&LateClock);
  idum = 0;
  NextUniform(idum);
  EXPECT_EQ(GeneratorSeed, 32767);
  SetGeneratorClock(nullptr);
  idum = 0;
  NextUniform(idum);
  EXPECT_GE(GeneratorSeed, 0);
  EXPECT_LE(GeneratorSeed, 32767);
}

TEST(RandomGenerator, StoredSeedSaturates) {
  EXPECT_EQ(StoredSeed(5), 5);
  EXPECT_EQ(StoredSeed(32767), 32767);
  EXPECT_EQ(StoredSeed(32768), 32767);
  EXPECT_EQ(StoredSeed(100000), 32767);
  EXPECT_EQ(StoredSeed(-32768), -32767);
  EXPECT_EQ(StoredSeed(-7), -7);
}

}  // namespace
}  // namespace tesmira
