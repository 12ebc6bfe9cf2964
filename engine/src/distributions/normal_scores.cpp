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

// The batches come in a clone for each vector width of x86-64, chosen when
// the library is loaded; elsewhere in one plain version.
#if defined(__x86_64__) && defined(__ELF__)
#define TESMIRA_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define TESMIRA_VECTOR_CLONES
#endif

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

// ---- the normal distribution function ------------------------------------------------

// Phi(x) = erfc(y) / 2 with y = -x / sqrt 2, erfc by the C library's method
// (Sun's piecewise rational approximations) with the same coefficients and
// the same grouping of every sum, so that each step rounds as the library's
// does; only the exponentials are this file's own, within 0.51 ulp of the
// exact value as the library's are (where one of them rounds the other way,
// Phi moves by 1 to 3 ulp). Arguments with |y| < 1.25 (the great majority of
// normal scores) need no exponential and are computed for the whole batch at
// once; the others are gathered and computed together. The helpers are
// always inlined: the batch loops vectorise only with them inside.
//
// A rational function p(t)/q(t) with q(0) = 1 and coefficients (a0, a1, ..)
// is summed as (a0 + a1 t) + t^2 (a2 + a3 t) + t^4 (a4 + a5 t) + t^6 (a6 + a7 t)
// + t^8 a8, left to right; zero coefficients pad the shorter ones exactly.
struct TErfcRational {
  double p[8];
  double q[9];
};

// erf(y) = y + y p/q (t = y^2) for |y| < 0.84375.
constexpr TErfcRational kErfcSmall = {
    {1.28379167095512558561e-01, -3.25042107247001499370e-01, -2.84817495755985104766e-02,
     -5.77027029648944159157e-03, -2.37630166566501626084e-05},
    {1.0, 3.97917223959155352819e-01, 6.50222499887672944485e-02, 5.08130628187576562776e-03,
     1.32494738004321644526e-04, -3.96022827877536812320e-06}};
// erf(|y|) = c + p/q (t = |y| - 1) for 0.84375 <= |y| < 1.25.
constexpr TErfcRational kErfcNearOne = {
    {-2.36211856075265944077e-03, 4.14856118683748331666e-01, -3.72207876035701323847e-01,
     3.18346619901161753674e-01, -1.10894694282396677476e-01, 3.54783043256182359371e-02,
     -2.16637559486879084300e-03},
    {1.0, 1.06420880400844228286e-01, 5.40397917702171048937e-01, 7.18286544141962662868e-02,
     1.26171219808761642112e-01, 1.36370839120290507362e-02, 1.19844998467991074170e-02}};
constexpr double kErfcC = 8.45062911510467529297e-01;  // erf(1) to 24 bits
// erfc(|y|) = exp(-y^2 - 0.5625 + p/q) / |y| (t = 1 / y^2) for 1.25 <= |y| <
// kErfcFarFrom, and beyond it with the second set.
constexpr TErfcRational kErfcMiddle = {
    {-9.86494403484714822705e-03, -6.93858572707181764372e-01, -1.05586262253232909814e+01,
     -6.23753324503260060396e+01, -1.62396669462573470355e+02, -1.84605092906711035994e+02,
     -8.12874355063065934246e+01, -9.81432934416914548592e+00},
    {1.0, 1.96512716674392571292e+01, 1.37657754143519042600e+02, 4.34565877475229228821e+02,
     6.45387271733267880336e+02, 4.29008140027567833386e+02, 1.08635005541779435134e+02,
     6.57024977031928170135e+00, -6.04244152148580987438e-02}};
constexpr TErfcRational kErfcFar = {
    {-9.86494292470009928597e-03, -7.99283237680523006574e-01, -1.77579549177547519889e+01,
     -1.60636384855821916062e+02, -6.37566443368389627722e+02, -1.02509513161107724954e+03,
     -4.83519191608651397019e+02},
    {1.0, 3.03380607434824582924e+01, 3.25792512996573918826e+02, 1.53672958608443695994e+03,
     3.19985821950859553908e+03, 2.55305040643316442583e+03, 4.74528541206955367215e+02,
     -2.24409524465858183362e+01}};
constexpr double kErfcFarFrom = 0x1.6db6dp+1;  // 2.857141..., about 1 / 0.35
constexpr double kErfcNearOneFrom = 0.84375, kErfcTailFrom = 1.25;
// Beyond these erfc(y) is 2 (y <= -6, to the last bit) or so small that the
// library takes over (y >= 26, the exponential below would leave the normal
// range; Phi < 1e-295 there).
constexpr double kErfcTwoFrom = -6.0, kErfcLibraryFrom = 26.0;
constexpr double kRootHalf = 0.70710678118654752440;

// a where mask is 0, b where it is all ones. Written on the bits so that the
// compiler keeps one evaluation with chosen coefficients instead of two
// evaluations and a choice of their results.
inline double Pick(uint64_t mask, double a, double b) {
  return Real((Bits(a) & ~mask) | (Bits(b) & mask));
}

inline uint64_t Mask(bool second) { return uint64_t{0} - static_cast<uint64_t>(second); }

// The rational function of set a (mask 0) or b (mask all ones) at t.
[[gnu::always_inline]] inline double ErfcRatio(double t, const TErfcRational& a,
                                               const TErfcRational& b, uint64_t mask) {
  const auto p = [&](int i) { return Pick(mask, a.p[i], b.p[i]); };
  const auto q = [&](int i) { return Pick(mask, a.q[i], b.q[i]); };
  const double t2 = t * t, t4 = t2 * t2, t6 = t4 * t2, t8 = t4 * t4;
  const double num =
      (p(0) + t * p(1)) + t2 * (p(2) + t * p(3)) + t4 * (p(4) + t * p(5)) + t6 * (p(6) + t * p(7));
  const double den = (q(0) + t * q(1)) + t2 * (q(2) + t * q(3)) + t4 * (q(4) + t * q(5)) +
                     t6 * (q(6) + t * q(7)) + t8 * q(8);
  return num / den;
}

// erfc(y) for |y| < 1.25.
[[gnu::always_inline]] inline double ErfcCentre(double y) {
  const double ay = std::fabs(y);
  const uint64_t nearOne = Mask(ay >= kErfcNearOneFrom);
  const double r = ErfcRatio(Pick(nearOne, y * y, ay - 1.0), kErfcSmall, kErfcNearOne, nearOne);
  const double small = y < 0.25 ? 1.0 - (y + y * r) : 0.5 - (y * r + (y - 0.5));
  const double one = y >= 0 ? (1.0 - kErfcC) - r : 1.0 + (kErfcC + r);
  return Pick(nearOne, small, one);
}

// e^a for -708 < a < 709 (a normal result): a = (128 m + j) ln2/128 + r,
// |r| <= ln2/256, e^a = 2^m 2^(j/128) e^r with 2^(j/128) from a table in two
// parts and e^r - 1 from its Taylor polynomial (error below 2^-70); the one
// rounding of any size is the last addition, so the result is within
// 0.51 ulp.
constexpr double kExpShift = 0x1.8p52;  // a * 128/ln2 + kExpShift rounds to an integer
constexpr double kInvLn2x128 = 0x1.71547652b82fep+7;
// ln2/128 in a part of 35 bits (exact times any k of 18 bits) and the rest.
constexpr double kLn2by128Hi = 0x1.62e42fefcp-8, kLn2by128Lo = -0x1.c610ca86c3899p-44;
// 2^(j/128) = hi + lo to 106 bits, j = 0..127.
// clang-format off
constexpr double kExp2Table[128][2] = {
    {0x1.0000000000000p+0, 0x0.0p+0}, {0x1.0163da9fb3335p+0, 0x1.b61299ab8cdb7p-54},
    {0x1.02c9a3e778061p+0, -0x1.19083535b085dp-56}, {0x1.04315e86e7f85p+0, -0x1.0a31c1977c96ep-54},
    {0x1.059b0d3158574p+0, 0x1.d73e2a475b465p-55}, {0x1.0706b29ddf6dep+0, -0x1.c91dfe2b13c27p-55},
    {0x1.0874518759bc8p+0, 0x1.186be4bb284ffp-57}, {0x1.09e3ecac6f383p+0, 0x1.1487818316136p-54},
    {0x1.0b5586cf9890fp+0, 0x1.8a62e4adc610bp-54}, {0x1.0cc922b7247f7p+0, 0x1.01edc16e24f71p-54},
    {0x1.0e3ec32d3d1a2p+0, 0x1.03a1727c57b53p-59}, {0x1.0fb66affed31bp+0, -0x1.b9bedc44ebd7bp-57},
    {0x1.11301d0125b51p+0, -0x1.6c51039449b3ap-54}, {0x1.12abdc06c31ccp+0, -0x1.1b514b36ca5c7p-58},
    {0x1.1429aaea92de0p+0, -0x1.32fbf9af1369ep-54}, {0x1.15a98c8a58e51p+0, 0x1.2406ab9eeab0ap-55},
    {0x1.172b83c7d517bp+0, -0x1.19041b9d78a76p-55}, {0x1.18af9388c8deap+0, -0x1.11023d1970f6cp-54},
    {0x1.1a35beb6fcb75p+0, 0x1.e5b4c7b4968e4p-55}, {0x1.1bbe084045cd4p+0, -0x1.95386352ef607p-54},
    {0x1.1d4873168b9aap+0, 0x1.e016e00a2643cp-54}, {0x1.1ed5022fcd91dp+0, -0x1.1df98027bb78cp-54},
    {0x1.2063b88628cd6p+0, 0x1.dc775814a8495p-55}, {0x1.21f49917ddc96p+0, 0x1.2a97e9494a5eep-55},
    {0x1.2387a6e756238p+0, 0x1.9b07eb6c70573p-54}, {0x1.251ce4fb2a63fp+0, 0x1.ac155bef4f4a4p-55},
    {0x1.26b4565e27cddp+0, 0x1.2bd339940e9d9p-55}, {0x1.284dfe1f56381p+0, -0x1.a4c3a8c3f0d7ep-54},
    {0x1.29e9df51fdee1p+0, 0x1.612e8afad1255p-55}, {0x1.2b87fd0dad990p+0, -0x1.10adcd6381aa4p-59},
    {0x1.2d285a6e4030bp+0, 0x1.0024754db41d5p-54}, {0x1.2ecafa93e2f56p+0, 0x1.1ca0f45d52383p-56},
    {0x1.306fe0a31b715p+0, 0x1.6f46ad23182e4p-55}, {0x1.32170fc4cd831p+0, 0x1.a9ce78e18047cp-55},
    {0x1.33c08b26416ffp+0, 0x1.32721843659a6p-54}, {0x1.356c55f929ff1p+0, -0x1.b5cee5c4e4628p-55},
    {0x1.371a7373aa9cbp+0, -0x1.63aeabf42eae2p-54}, {0x1.38cae6d05d866p+0, -0x1.e958d3c9904bdp-54},
    {0x1.3a7db34e59ff7p+0, -0x1.5e436d661f5e3p-56}, {0x1.3c32dc313a8e5p+0, -0x1.efff8375d29c3p-54},
    {0x1.3dea64c123422p+0, 0x1.ada0911f09ebcp-55}, {0x1.3fa4504ac801cp+0, -0x1.7d023f956f9f3p-54},
    {0x1.4160a21f72e2ap+0, -0x1.ef3691c309278p-58}, {0x1.431f5d950a897p+0, -0x1.1c7dde35f7999p-55},
    {0x1.44e086061892dp+0, 0x1.89b7a04ef80d0p-59}, {0x1.46a41ed1d0057p+0, 0x1.c944bd1648a76p-54},
    {0x1.486a2b5c13cd0p+0, 0x1.3c1a3b69062f0p-56}, {0x1.4a32af0d7d3dep+0, 0x1.9cb62f3d1be56p-54},
    {0x1.4bfdad5362a27p+0, 0x1.d4397afec42e2p-56}, {0x1.4dcb299fddd0dp+0, 0x1.8ecdbbc6a7833p-54},
    {0x1.4f9b2769d2ca7p+0, -0x1.4b309d25957e3p-54}, {0x1.516daa2cf6642p+0, -0x1.f768569bd93efp-55},
    {0x1.5342b569d4f82p+0, -0x1.07abe1db13cadp-55}, {0x1.551a4ca5d920fp+0, -0x1.d689cefede59bp-55},
    {0x1.56f4736b527dap+0, 0x1.9bb2c011d93adp-54}, {0x1.58d12d497c7fdp+0, 0x1.295e15b9a1de8p-55},
    {0x1.5ab07dd485429p+0, 0x1.6324c054647adp-54}, {0x1.5c9268a5946b7p+0, 0x1.c4b1b816986a2p-60},
    {0x1.5e76f15ad2148p+0, 0x1.ba6f93080e65ep-54}, {0x1.605e1b976dc09p+0, -0x1.3e2429b56de47p-54},
    {0x1.6247eb03a5585p+0, -0x1.383c17e40b497p-54}, {0x1.6434634ccc320p+0, -0x1.c483c759d8933p-55},
    {0x1.6623882552225p+0, -0x1.bb60987591c34p-54}, {0x1.68155d44ca973p+0, 0x1.038ae44f73e65p-57},
    {0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54}, {0x1.6c012750bdabfp+0, -0x1.2895667ff0b0dp-56},
    {0x1.6dfb23c651a2fp+0, -0x1.bbe3a683c88abp-57}, {0x1.6ff7df9519484p+0, -0x1.83c0f25860ef6p-55},
    {0x1.71f75e8ec5f74p+0, -0x1.16e4786887a99p-55}, {0x1.73f9a48a58174p+0, -0x1.0a8d96c65d53cp-54},
    {0x1.75feb564267c9p+0, -0x1.0245957316dd3p-54}, {0x1.780694fde5d3fp+0, 0x1.866b80a02162dp-54},
    {0x1.7a11473eb0187p+0, -0x1.41577ee04992fp-55}, {0x1.7c1ed0130c132p+0, 0x1.f124cd1164dd6p-54},
    {0x1.7e2f336cf4e62p+0, 0x1.05d02ba15797ep-56}, {0x1.80427543e1a12p+0, -0x1.27c86626d972bp-54},
    {0x1.82589994cce13p+0, -0x1.d4c1dd41532d8p-54}, {0x1.8471a4623c7adp+0, -0x1.8d684a341cdfbp-55},
    {0x1.868d99b4492edp+0, -0x1.fc6f89bd4f6bap-54}, {0x1.88ac7d98a6699p+0, 0x1.994c2f37cb53ap-54},
    {0x1.8ace5422aa0dbp+0, 0x1.6e9f156864b27p-54}, {0x1.8cf3216b5448cp+0, -0x1.0d55e32e9e3aap-56},
    {0x1.8f1ae99157736p+0, 0x1.5cc13a2e3976cp-55}, {0x1.9145b0b91ffc6p+0, -0x1.dd6792e582524p-54},
    {0x1.93737b0cdc5e5p+0, -0x1.75fc781b57ebcp-57}, {0x1.95a44cbc8520fp+0, -0x1.64b7c96a5f039p-56},
    {0x1.97d829fde4e50p+0, -0x1.d185b7c1b85d1p-54}, {0x1.9a0f170ca07bap+0, -0x1.173bd91cee632p-54},
    {0x1.9c49182a3f090p+0, 0x1.c7c46b071f2bep-56}, {0x1.9e86319e32323p+0, 0x1.824ca78e64c6ep-56},
    {0x1.a0c667b5de565p+0, -0x1.359495d1cd533p-54}, {0x1.a309bec4a2d33p+0, 0x1.6305c7ddc36abp-54},
    {0x1.a5503b23e255dp+0, -0x1.d2f6edb8d41e1p-54}, {0x1.a799e1330b358p+0, 0x1.bcb7ecac563c7p-54},
    {0x1.a9e6b5579fdbfp+0, 0x1.0fac90ef7fd31p-54}, {0x1.ac36bbfd3f37ap+0, -0x1.f9234cae76cd0p-55},
    {0x1.ae89f995ad3adp+0, 0x1.7a1cd345dcc81p-54}, {0x1.b0e07298db666p+0, -0x1.bdef54c80e425p-54},
    {0x1.b33a2b84f15fbp+0, -0x1.2805e3084d708p-57}, {0x1.b59728de5593ap+0, -0x1.c71dfbbba6de3p-54},
    {0x1.b7f76f2fb5e47p+0, -0x1.5584f7e54ac3bp-56}, {0x1.ba5b030a1064ap+0, -0x1.efcd30e54292ep-54},
    {0x1.bcc1e904bc1d2p+0, 0x1.23dd07a2d9e84p-55}, {0x1.bf2c25bd71e09p+0, -0x1.efdca3f6b9c73p-54},
    {0x1.c199bdd85529cp+0, 0x1.11065895048ddp-55}, {0x1.c40ab5fffd07ap+0, 0x1.b4537e083c60ap-54},
    {0x1.c67f12e57d14bp+0, 0x1.2884dff483cadp-54}, {0x1.c8f6d9406e7b5p+0, 0x1.1acbc48805c44p-56},
    {0x1.cb720dcef9069p+0, 0x1.503cbd1e949dbp-56}, {0x1.cdf0b555dc3fap+0, -0x1.dd83b53829d72p-55},
    {0x1.d072d4a07897cp+0, -0x1.cbc3743797a9cp-54}, {0x1.d2f87080d89f2p+0, -0x1.d487b719d8578p-54},
    {0x1.d5818dcfba487p+0, 0x1.2ed02d75b3707p-55}, {0x1.d80e316c98398p+0, -0x1.11ec18beddfe8p-54},
    {0x1.da9e603db3285p+0, 0x1.c2300696db532p-54}, {0x1.dd321f301b460p+0, 0x1.2da5778f018c3p-54},
    {0x1.dfc97337b9b5fp+0, -0x1.1a5cd4f184b5cp-54}, {0x1.e264614f5a129p+0, -0x1.7b627817a1496p-54},
    {0x1.e502ee78b3ff6p+0, 0x1.39e8980a9cc8fp-55}, {0x1.e7a51fbc74c83p+0, 0x1.2d522ca0c8de2p-54},
    {0x1.ea4afa2a490dap+0, -0x1.e9c23179c2893p-54}, {0x1.ecf482d8e67f1p+0, -0x1.c93f3b411ad8cp-54},
    {0x1.efa1bee615a27p+0, 0x1.dc7f486a4b6b0p-54}, {0x1.f252b376bba97p+0, 0x1.3a1a5bf0d8e43p-54},
    {0x1.f50765b6e4540p+0, 0x1.9d3e12dd8a18bp-54}, {0x1.f7bfdad9cbe14p+0, -0x1.dbb12d006350ap-54},
    {0x1.fa7c1819e90d8p+0, 0x1.74853f3a5931ep-55}, {0x1.fd3c22b8f71f1p+0, 0x1.2eb74966579e7p-57},
};
// clang-format on

[[gnu::always_inline]] inline double ExpOfNormalResult(double a) {
  const double shifted = a * kInvLn2x128 + kExpShift;
  const uint64_t k = Bits(shifted);  // 128 m + j in the low bits, two's complement
  const double kd = shifted - kExpShift;
  // kd * kLn2by128Hi is exact and so is the difference (the two are within a
  // factor of 2 of each other, or kd = 0).
  const double hi = a - kd * kLn2by128Hi;
  const double r = hi - kd * kLn2by128Lo;
  const double r2 = r * r;
  const double p =
      r + r2 * ((0.5 + r * (1.0 / 6)) + r2 * ((1.0 / 24 + r * (1.0 / 120)) + r2 * (1.0 / 720)));
  const uint64_t j = k & 127;
  const double tHi = kExp2Table[j][0], tLo = kExp2Table[j][1];
  const double e = tHi + (tLo + tHi * p);
  // 2^m into the exponent: (k - j) << 45 = m << 52 (modulo 2^64).
  return Real(Bits(e) + ((k - j) << 45));
}

// erfc(y) for |y| >= 1.25 and y < 26 (not NaN).
[[gnu::always_inline]] inline double ErfcTail(double y) {
  const double ay = std::fabs(y);
  const double r = ErfcRatio(1.0 / (ay * ay), kErfcMiddle, kErfcFar, Mask(ay >= kErfcFarFrom));
  // e^(-y^2) = e^(-z^2) e^((z - |y|)(z + |y|)) with z = |y| to 21 bits, z^2 exact.
  const double z = Real(Bits(ay) & 0xffffffff00000000ULL);
  const double e = ExpOfNormalResult(-z * z - 0.5625) * ExpOfNormalResult((z - ay) * (z + ay) + r);
  const double tail = e / ay;
  return y > 0 ? tail : (y > kErfcTwoFrom ? 2.0 - tail : 2.0);
}

inline double PhiOfErfc(double erfc) {
  const double p = 0.5 * erfc;
  return p < 0.0 ? 0.0 : (p > 1.0 ? 1.0 : p);
}
}  // namespace

double NormalCdfSeries(double x) {
  if (std::isnan(x)) return 0.5;
  return PhiOfErfc(std::erfc(-x * kRootHalf));
}

double InverseNormalDouble(double u) {
  if (Unusual(u)) return UnusualScore(u);
  return ScoreFromLog(u, LogOfNormalDouble(TwiceSmaller(u)));
}

TESMIRA_VECTOR_CLONES void InverseNormalDouble(const double* u, double* z, std::size_t n) {
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

TESMIRA_VECTOR_CLONES void NormalCdfDouble(const double* x, double* p, std::size_t n) {
  // As InverseNormalDouble's batch: chunks padded to whole vectors for the
  // centre. The arguments outside it are gathered first and computed
  // together (a few at a time, or one by one when they are few) before the
  // centre of the whole chunk, so that the two overlap; those left to the
  // library come last.
  constexpr std::size_t kChunk = 64, kWidth = 8;
  double ys[kChunk], probs[kChunk], tails[kChunk];
  std::size_t at[kChunk];
  for (std::size_t i = 0; i < n; i += kChunk) {
    const std::size_t length = n - i < kChunk ? n - i : kChunk;
    const std::size_t padded = (length + kWidth - 1) / kWidth * kWidth;
    std::size_t count = 0;
    bool library = false;
    for (std::size_t k = 0; k < padded; ++k) {
      const double y = k < length ? -x[i + k] * kRootHalf : 0.0;
      const bool own = y < kErfcLibraryFrom;  // false also for NaN
      ys[k] = y;
      at[count] = k;
      tails[count] = own ? y : 2.0;
      count += std::fabs(y) < kErfcTailFrom ? 0 : 1;
      library |= !own;
    }
    for (std::size_t c = 0; c < count; ++c) tails[c] = PhiOfErfc(ErfcTail(tails[c]));
    for (std::size_t k = 0; k < padded; ++k) {
      const double y = ys[k];
      probs[k] = PhiOfErfc(ErfcCentre(std::fabs(y) < kErfcTailFrom ? y : 0.0));
    }
    for (std::size_t c = 0; c < count; ++c) probs[at[c]] = tails[c];
    if (library)
      for (std::size_t c = 0; c < count; ++c)
        if (!(ys[at[c]] < kErfcLibraryFrom)) probs[at[c]] = NormalCdfSeries(x[i + at[c]]);
    for (std::size_t k = 0; k < length; ++k) p[i + k] = probs[k];
  }
}

}  // namespace tesmira
