#include "dependence/generator.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace tesmira {

int32_t GeneratorSeed = 0;

namespace {

constexpr int kShuffleSize = 97;

uint32_t LcgState = 0;
// The table and the last value hold base states; the uniform of a state is
// state * 2^-32, exact in a double, so keeping states loses nothing and keeps
// the double conversions off the chain from one draw to the next.
uint32_t ShuffleTable[kShuffleSize];
uint32_t ShuffleLast = 0;
TClockFraction Clock = nullptr;

// One step of the base generator.
inline uint32_t BaseStep() {
  LcgState = LcgState * 134775813u + 1u;
  return LcgState;
}

double SystemClockFraction() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  auto sub = duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000;
  double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + sub * 1e-6;
  double f = seconds / 86400.0;
  return f < 1.0 ? f : 0.0;
}

}  // namespace

double NextUniform(int32_t& idum) {
  if (idum < 1) {
    if (idum < 0) {
      // -INT32_MIN does not fit; the largest seed stands in for it.
      GeneratorSeed = idum == INT32_MIN ? INT32_MAX : -idum;
    } else {
      double f = Clock ? Clock() : SystemClockFraction();
      if (!(f >= 0.0)) f = 0.0;
      if (f >= 1.0) f = 0.0;
      GeneratorSeed = static_cast<int32_t>(std::nearbyint(32767.0 * f));
    }
    LcgState = static_cast<uint32_t>(GeneratorSeed);
    idum = 1;
    for (int j = 0; j < kShuffleSize; ++j) ShuffleTable[j] = BaseStep();
    for (int j = 0; j < kShuffleSize; ++j) ShuffleTable[j] = BaseStep();
    ShuffleLast = BaseStep();
  }
  // trunc(97 * uniform) = (97 * state) div 2^32 exactly (97 * uniform has at
  // most 39 significant bits, so the product in doubles is exact too).
  const uint32_t j = static_cast<uint32_t>((uint64_t{97} * ShuffleLast) >> 32);
  ShuffleLast = ShuffleTable[j];
  ShuffleTable[j] = BaseStep();
  return static_cast<double>(ShuffleLast) * 0x1p-32;
}

int32_t RandomInteger(int32_t n) {
  if (n <= 0) {
    LcgState = LcgState * 134775813u + 1u;
    return 0;
  }
  LcgState = LcgState * 134775813u + 1u;
  uint64_t product = static_cast<uint64_t>(static_cast<uint32_t>(n)) * LcgState;
  return static_cast<int32_t>(product >> 32);
}

uint32_t GeneratorState() { return LcgState; }

void SetGeneratorClock(TClockFraction clock) { Clock = clock; }

int16_t StoredSeed(int32_t seed) {
  if (seed > 32767) return 32767;
  if (seed < -32767) return -32767;
  return static_cast<int16_t>(seed);
}

}  // namespace tesmira
