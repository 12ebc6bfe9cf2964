// InverseNormal's approximation in double for the normal scores drawn per
// sample. The batch loop is written so that the compiler vectorises it, with
// a clone for each vector width the processor may offer. Every clone performs
// the same correctly rounded operations in the same order (this file is
// compiled without contraction into fused multiply-adds), so a score does not
// depend on the processor nor on whether it was computed alone or in a batch.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "distributions/special_functions.h"

namespace tesmira {

namespace {

// The approximation written as z = N(y)/Q(y), N(y) = y Q(y) + P(y), with N and
// Q re-expanded in powers of d = y - y0 about y0 = sqrt(ln 4), the y of
// u = 0.5 (computed from the published coefficients in 50-digit arithmetic).
// Every coefficient is positive and d >= 0, so neither sum cancels and z keeps
// its relative accuracy everywhere, also as u approaches 0.5, where
// y + P(y)/Q(y) loses it (z tends to N(y0)/Q(y0) = 1.49e-8 there, the
// approximation's offset, not to 0).
constexpr double kAs70N[6] = {2.54057250609621733826e-8, 2.51604302684909397491,
                              2.97394562468876823214,    1.05154872569458127602,
                              0.126193266329830409596,   0.0038560700634};
constexpr double kAs70Q[5] = {1.7050248179094243779, 2.29501213747606008777,
                              0.928896515218808296257, 0.121698455010676167677, 0.0038560700634};
constexpr double kLn4 = 1.38629436111989061883;
constexpr double kAs70Y0 = 1.17741002251547469101;  // sqrt(ln 4)

// ln x for normal x > 0 without branches or tables: x = 2^k m with m in
// [sqrt(1/2), sqrt(2)), f = m - 1 (exact), s = f / (2 + f), ln m = 2 atanh s
// with fdlibm's minimax coefficients; error below 1 ulp.
constexpr double kLn2Hi = 6.93147180369123816490e-01, kLn2Lo = 1.90821492927058770002e-10;
constexpr double kLg[7] = {6.666666666666735130e-01, 3.999999999940941908e-01,
                           2.857142874366239149e-01, 2.222219843214978396e-01,
                           1.818357216161805012e-01, 1.531383769920937332e-01,
                           1.479819860511658591e-01};
constexpr double kSmallest = 0x1p-1022;  // the smallest normal double

inline uint64_t Bits(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

inline double Real(uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

inline double LogOfNormalDouble(double x) {
  const uint64_t ix = Bits(x);
  const uint64_t offset = ix - Bits(0.70710678118654752440);
  // k + 1024 as a double through the exponent of 2^52.
  const uint64_t biasedK = (offset + (uint64_t{1024} << 52)) >> 52;
  const double k = Real(Bits(0x1p52) | biasedK) - (0x1p52 + 1024.0);
  const double m = Real(ix - (offset & 0xfff0000000000000ULL));
  const double f = m - 1.0;
  const double s = f / (2.0 + f);
  const double z = s * s, w = z * z;
  const double r = z * (kLg[0] + w * (kLg[2] + w * (kLg[4] + w * kLg[6]))) +
                   w * (kLg[1] + w * (kLg[3] + w * kLg[5]));
  const double halfSquare = 0.5 * f * f;
  return k * kLn2Hi - ((halfSquare - (s * (halfSquare + r) + k * kLn2Lo)) - f);
}

// The score from ln(2v), v = min(u, 1 - u).
inline double ScoreFromLog(double u, double log2v) {
  // y^2 = -ln(v^2) = ln 4 + t with t = -2 ln(2v) >= 0, and d = y - y0 =
  // t / (y + y0) without cancellation.
  const double t = -2.0 * log2v;
  const double d = t / (std::sqrt(kLn4 + t) + kAs70Y0);
  const double* n = kAs70N;
  const double* q = kAs70Q;
  double z = (((((n[5] * d + n[4]) * d + n[3]) * d + n[2]) * d + n[1]) * d + n[0]) /
             ((((q[4] * d + q[3]) * d + q[2]) * d + q[1]) * d + q[0]);
  // Without branches, which would be mispredicted half of the time: 0 at
  // u = 0.5, the sign of u - 0.5 elsewhere.
  return std::copysign(z * static_cast<double>(u != 0.5), u - 0.5);
}

// 2v, v = min(u, 1 - u); 1 - u is exact for u >= 0.5 and 2v is exact.
inline double TwiceSmaller(double u) { return 2.0 * (u < 1 - u ? u : 1 - u); }

// Arguments whose 2v is not a normal double (u within 2^-1023 of 0 or 1, or
// outside (0, 1), or NaN) take the library logarithm.
inline bool Unusual(double u) { return !(TwiceSmaller(u) >= kSmallest); }

double UnusualScore(double u) { return ScoreFromLog(u, std::log(TwiceSmaller(u))); }

}  // namespace

double InverseNormalDouble(double u) {
  if (Unusual(u)) return UnusualScore(u);
  return ScoreFromLog(u, LogOfNormalDouble(TwiceSmaller(u)));
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void InverseNormalDouble(
    const double* u, double* z, std::size_t n) {
  // Chunks copied into local arrays and padded with 0.5 to whole vectors of
  // the widest clone, so that no argument falls to a scalar remainder loop.
  constexpr std::size_t kChunk = 64, kWidth = 8;
  double args[kChunk], scores[kChunk];
  for (std::size_t i = 0; i < n; i += kChunk) {
    const std::size_t length = n - i < kChunk ? n - i : kChunk;
    const std::size_t padded = (length + kWidth - 1) / kWidth * kWidth;
    for (std::size_t k = 0; k < padded; ++k) args[k] = k < length ? u[i + k] : 0.5;
    int unusual = 0;
    for (std::size_t k = 0; k < padded; ++k) {
      const double x = TwiceSmaller(args[k]);
      unusual += x >= kSmallest ? 0 : 1;
      scores[k] = ScoreFromLog(args[k], LogOfNormalDouble(x < kSmallest ? kSmallest : x));
    }
    if (unusual != 0)
      for (std::size_t k = 0; k < length; ++k)
        if (Unusual(args[k])) scores[k] = UnusualScore(args[k]);
    for (std::size_t k = 0; k < length; ++k) z[i + k] = scores[k];
  }
}

}  // namespace tesmira
