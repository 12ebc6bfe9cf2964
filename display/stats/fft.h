#pragma once

#include <cstddef>

namespace stats {

// In-place radix-2 transform of n complex values stored as (real, imaginary)
// pairs in data[0 .. 2n-1]; n a power of two. The exponent's sign is that of
// sign (+1 or -1); no scaling.
void ComplexFft(double* data, std::size_t n, int sign);

// Transform of m real values (m a power of two, at least 4) through a complex
// transform of m/2 points. Packed result: data[0] the real term of frequency 0,
// data[1] the real term of frequency m/2, data[2k], data[2k+1] the real and
// imaginary parts of frequency k for k = 1 ... m/2-1. Sign -1 is the inverse,
// whose result is m/2 times the input.
void RealFft(double* data, std::size_t m, int sign);

bool IsPowerOfTwo(long long n);

}  // namespace stats
