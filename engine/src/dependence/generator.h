// The engine's random number generator: a 97-entry Bays-Durham shuffle on top
// of a 32-bit linear congruential generator (state = state * 134775813 + 1
// modulo 2^32, uniform = state * 2^-32). Bit-exact: a seed gives the same
// stream on every machine. The state is engine-global, for the whole program run.
#pragma once

#include <cstdint>

namespace tesmira {

// The seed of the current stream, set when a stream starts.
extern int32_t GeneratorSeed;

// Returns the next uniform in [0, 1) of the shuffled stream. idum is owned by
// the caller: a value below 1 starts a new stream (idum < 0 seeds with -idum,
// idum = 0 seeds from the time of day, 0..32767) and is set to 1; a positive
// idum continues the current stream. A run starts its stream with idum = -seed.
// The value can be exactly 0 (once in 2^32 draws of the base generator);
// callers whose functions exclude 0 must guard against it.
double NextUniform(int32_t& idum);

// The base generator's integer draw: steps the state once and returns
// (n * state) div 2^32, a number in 0..n-1 (0 for n <= 0). It shares the state with
// NextUniform and so changes the shuffled stream that follows.
int32_t RandomInteger(int32_t n);

// The base generator's state (for tests and for saving a stream's position).
uint32_t GeneratorState();

// The source of the time of day used by idum = 0: a fraction of a day in [0, 1).
// Tests may replace it; nullptr restores the system clock.
using TClockFraction = double (*)();
void SetGeneratorClock(TClockFraction clock);

// A seed as the results record stores it (int16): values above 32767 saturate
// at 32767 and values below -32767 at -32767 instead of wrapping.
int16_t StoredSeed(int32_t seed);

}  // namespace tesmira
