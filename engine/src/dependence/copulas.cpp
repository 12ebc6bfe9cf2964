#include "dependence/copulas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "dependence/copula_tables.h"

namespace tesmira {

namespace {

constexpr double kPi = 3.14159265358979323846;
// 3.4 times the single-precision value of 1e38: the normal quantile at 0 and 1.
const double kQuantileInfinity = 3.4 * static_cast<double>(1e38f);

inline double Clamp01(double x) {
  if (x > 1.0) return 1.0;
  if (x >= 0.0) return x;
  return 0.0;  // negative or NaN
}

inline double Sign(double r) { return r < 0.0 ? -1.0 : 1.0; }

// ---- floating-point faults of the conditional distribution ----

enum class FpFault { None, ZeroDivide, Overflow, InvalidOp };

char FaultMessage[256] = "";
bool FaultPending = false;

const char* FaultText(FpFault f) {
  switch (f) {
    case FpFault::ZeroDivide: return "Zero divide";
    case FpFault::Overflow: return "Floating point overflow";
    default: return "Invalid floating point operation";
  }
}

void RecordFault(FpFault fault, int type) {
  const char* word = type == 0 ? "frank" : type == 1 ? "db" : type == 3 ? "ell" : "";
  // The announced value 0.10101010101 written with width 6 and 2 decimals.
  std::snprintf(FaultMessage, sizeof FaultMessage,
                "%s detected in function FF_%s(r, x1, x2), assigned value is    0.10",
                FaultText(fault), word);
  FaultPending = true;
}

}  // namespace

bool CopulaFaultPending() { return FaultPending; }
const char* CopulaFaultMessage() { return FaultMessage; }
void ClearCopulaFault() {
  FaultPending = false;
  FaultMessage[0] = '\0';
}

// ---- parameter maps --------------------------------------------------------

double NormalRhoFromRank(double r) { return 2.0 * std::sin(kPi * r / 6.0); }

double ClaytonThetaFromRank(double r) {
  if (r == 0.0) return 0.0;
  const double a = std::fabs(r);
  const double n = (((2799.959958501511 * a - 4086.54924694709) * a - 786.602055464184) * a +
                    1864.410020296634) *
                       a +
                   212.220817493302;
  const double d = (((a - 1408.736326326127) * a + 5764.551359283231) * a - 7339.411117715828) * a +
                   2982.617051994998;
  return Sign(r) * n / d;
}

double GumbelThetaFromRank(double r) {
  if (r == 0.0) return 1.0;
  const double a = std::fabs(r);
  const double n = ((((2825.353720372699 * a - 5887.463024414101) * a + 3859.185043612683) * a -
                     1391.277026761074) *
                        a -
                    27.097846300965) *
                       a +
                   624.431463113763;
  const double d = ((((a + 1097.934636244338) * a - 1703.285237726902) * a + 686.037711199306) * a -
                    715.024477887078) *
                       a +
                   633.367572980125;
  const double q = n / d;
  return std::fabs(q) >= 1.0 ? Sign(r) * q : 1.0;
}

namespace {

// Spearman's rho of the Frank copula for small theta (error below 3e-7 for
// theta up to 0.8), inverted by Newton's method.
double FrankThetaSmall(double a) {
  double theta = 6.0 * a;
  for (int i = 0; i < 20; ++i) {
    const double t2 = theta * theta;
    const double f = theta / 6.0 - theta * t2 / 450.0 + theta * t2 * t2 / 23520.0 - a;
    const double df = 1.0 / 6.0 - t2 / 150.0 + t2 * t2 / 4704.0;
    const double step = f / df;
    theta -= step;
    if (std::fabs(step) < 1e-15) break;
  }
  return theta;
}

}  // namespace

double FrankThetaFromRank(double r) {
  if (r == 0.0) return 0.0;
  const double a = std::fabs(r);
  // The rational fit has two nearly cancelling pole-zero pairs near 0.0698 and
  // 0.1127, where it jumps to huge or negative values; there the series of the
  // rank correlation in theta is inverted instead.
  if (a >= 0.065 && a <= 0.13) return Sign(r) * FrankThetaSmall(a);
  const double n = ((((162.4 * a - 429.8) * a + 313.5) * a - 46.04) * a + 1.746) * a + 0.005791;
  const double d = ((((a + 35.82) * a - 85.78) * a + 56.98) * a - 8.333) * a + 0.3324;
  return Sign(r) * n / d;
}

double BandWidthFromRank(double r) {
  if (r == 0.0) return 1.0;
  if (r <= -1.0) return -2.0;
  if (r >= 1.0) return 0.0;
  const double a = std::fabs(r);
  return Sign(r) * (2.0 / 3.0 - (4.0 / 3.0) * std::sin(std::asin(1.6875 * a - 0.6875) / 3.0));
}

double CopulaParameter(int type, double r) {
  switch (type) {
    case 0: return FrankThetaFromRank(r);
    case 1: return BandWidthFromRank(r);
    case 2:
    case 3: return r;
    case 4: return NormalRhoFromRank(r);
    case 5:
    case 6:
    case 7:
    case 8: return ClaytonThetaFromRank(r);
    case 9:
    case 10:
    case 11:
    case 12: return GumbelThetaFromRank(r);
    default: return 0.0;
  }
}

// ---- numeric helpers ---------------------------------------------------------

double Erfc(double x) {
  const double z = std::fabs(x);
  const double c = 1.0 / (1.0 + 0.5 * z);
  const double e =
      c *
      std::exp(
          -z * z - 1.26551223 +
          c * (1.00002368 +
               c * (0.37409196 +
                    c * (0.09678418 +
                         c * (-0.18628806 +
                              c * (0.27886807 + c * (-1.13520398 +
                                                     c * (1.48851587 + c * (-0.82215223 +
                                                                            c * 0.17087277)))))))));
  return x >= 0.0 ? e : 2.0 - e;
}

double NormalCdf(double x, double mean, double sd) {
  return 0.5 * Erfc(-(x - mean) / (std::sqrt(2.0) * sd));
}

double NormalQuantile(double p, double mean, double sd) {
  static constexpr double a[6] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                  -2.759285104469687e+02, 1.383577518672690e+02,
                                  -3.066479806614716e+01, 2.506628277459239e+00};
  static constexpr double b[5] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                  -1.556989798598866e+02, 6.680131188771972e+01,
                                  -1.328068155288572e+01};
  static constexpr double c[6] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                  -2.400758276161838e+00, -2.549732539343734e+00,
                                  4.374664141464968e+00,  2.938163982698783e+00};
  static constexpr double d[4] = {7.784695709124636e-03, 3.224671290700398e-01,
                                  2.445134137142996e+00, 3.754408661907416e+00};
  constexpr double pLow = 0.02425;
  constexpr double pHigh = 1.0 - pLow;
  if (p <= 0.0) return -kQuantileInfinity;
  if (p >= 1.0) return kQuantileInfinity;
  if (std::isnan(p)) return mean;
  double z;
  if (p < pLow) {
    const double q = std::sqrt(-2.0 * std::log(p));
    z = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
        ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
  } else if (p <= pHigh) {
    const double q = p - 0.5;
    const double r = q * q;
    z = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
        (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
  } else {
    const double q = std::sqrt(-2.0 * std::log(1.0 - p));
    z = -(((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
        ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
  }
  return mean + sd * z;
}

bool FindRootSafe(TRootFunction f, TRootFunction df, const double* params, double x1, double x2,
                  double xacc, double& root) {
  constexpr int kMaxPasses = 99 + 1;
  const double fl = f(x1, params);
  const double fh = f(x2, params);
  if (!(fl * fh < 0.0)) return false;
  double xl, xh;
  if (fl < 0.0) {
    xl = x1;
    xh = x2;
  } else {
    xl = x2;
    xh = x1;
  }
  double x = 0.5 * (x1 + x2);
  double dxold = std::fabs(x2 - x1);
  double dx = dxold;
  double fx = f(x, params);
  const double d = df(x, params);  // used unchanged for every Newton step
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    if (((x - xh) * d - fx) * ((x - xl) * d - fx) >= 0.0 ||
        std::fabs(2.0 * fx) > std::fabs(dxold * d)) {
      dxold = dx;
      dx = 0.5 * (xh - xl);
      x = xl + dx;
      if (x == xl) {
        root = x;
        return true;
      }
    } else {
      dxold = dx;
      dx = fx / d;
      const double previous = x;
      x -= dx;
      if (x == previous) {
        root = x;
        return true;
      }
    }
    if (std::fabs(dx) < xacc) {
      root = x;
      return true;
    }
    fx = f(x, params);
    if (fx < 0.0)
      xl = x;
    else
      xh = x;
  }
  return false;
}

// ---- Frank ------------------------------------------------------------------------

namespace {

// h(v | u) for theta > 0 in a form that neither overflows nor loses the
// small-theta digits: h = 1 / (1 + e^(theta (u - v)) (1 - e^(-theta (1 - v))) / (1 - e^(-theta
// v))).
double FrankHPositive(double v, double u, double theta) {
  if (v <= 0.0) return 0.0;
  if (v >= 1.0) return 1.0;
  const double logRatio =
      std::log(-std::expm1(-theta * (1.0 - v))) - std::log(-std::expm1(-theta * v));
  const double l = theta * (u - v) + logRatio;
  if (l > 700.0) return 0.0;
  return 1.0 / (1.0 + std::exp(l));
}

}  // namespace

double FrankHInverse(double t, double u, double theta) {
  if (t > 1.0) t = 1.0;
  if (!(t > 0.0)) return 0.0;  // t = 0 (and nothing below it) gives 0
  if (theta == 0.0) return t;
  if (theta > 37.35) return u;
  if (theta < -37.35) return 1.0 - u;
  // v = -(1/theta) ln(1 - (1 - e^-theta) / ((1/t - 1) e^(-theta u) + 1))
  //   = ln(1 + z) / theta,  z = (1 - e^-theta) t / ((1 - t) e^(-theta u) + t e^-theta),
  // where 1 + z = ((1 - t) e^(-theta u) + t) / ((1 - t) e^(-theta u) + t e^-theta):
  // sums of positive terms, so neither form cancels. For |theta| < 1, z itself
  // is exact to rounding (from e^-theta - 1) and ln(1 + z) keeps the digits
  // that the division by a small theta brings forward; otherwise the ratio is
  // taken whole (1 + z can be tiny for theta <= -1).
  // e^-theta and e^-theta - 1, each from the function that keeps its digits.
  // A sampler calls with one theta many times over: the two are kept for it.
  static thread_local double lastTheta = 0.0, lastN = 1.0, lastM = 0.0;
  if (theta != lastTheta) {
    if (theta >= 1.0) {
      lastN = std::exp(-theta);
      lastM = lastN - 1.0;
    } else {
      lastM = std::expm1(-theta);
      lastN = 1.0 + lastM;
    }
    lastTheta = theta;
  }
  const double n = lastN, m = lastM;
  const double below = (1.0 - t) * std::exp(-theta * u);
  const double denominator = below + t * n;
  if (theta > -1.0 && theta < 1.0) return Clamp01(std::log1p(-m * t / denominator) / theta);
  return Clamp01(std::log((below + t) / denominator) / theta);
}

double FrankH(double v, double u, double theta) {
  if (v > 1.0) v = 1.0;
  if (theta == 0.0) return v;
  if (theta > 0.0) return FrankHPositive(v, u, theta);
  // The Frank copula with -theta is the 90-degree turn of the one with theta.
  return 1.0 - FrankHPositive(1.0 - v, u, -theta);
}

// ---- diagonal band ------------------------------------------------------------

double BandHInverse(double t, double u, double w) {
  if (w < 0.0) {
    u = 1.0 - u;
    w = w < -1.0 ? 0.0 : -w;
  }
  if (w == 0.0) return u;
  if (w == 1.0) return t;  // independence, exactly
  if (u < w && t < 1.0 - u / w) return w * t;
  if (u > 1.0 - w && t > (1.0 - u) / w) return w * t + 1.0 - w;
  return 2.0 * w * t + u - w;
}

double BandH(double v, double u, double w) {
  if (w < 0.0) {
    u = 1.0 - u;
    w = w < -1.0 ? 0.0 : -w;
  }
  if (w == 0.0) return v >= u ? 1.0 : 0.0;  // all mass on v = u
  if (u < w && v < w - u) return v / w;
  if (u > 1.0 - w && v > 2.0 - u - w) return (v - 1.0 + w) / w;
  if (u < 1.0 - w && v > u + w) return 1.0;
  if (v < u - w) return 0.0;
  return (v - u + w) / (2.0 * w);
}

// ---- elliptical -----------------------------------------------------------------

double EllipticalHInverse(double t, double u, double rho) {
  const double z = u - 0.5;
  const double s = (1.0 - rho * rho) * (0.25 - z * z);
  if (s < 0.0) return 0.0;
  return std::sqrt(s) * std::sin(kPi * (t - 0.5)) + rho * z + 0.5;
}

namespace {

double EllipticalHChecked(double v, double u, double rho, FpFault& fault) {
  const double z = u - 0.5;
  const double radicand = (1.0 - rho * rho) * (0.25 - z * z);
  const double numerator = (v - 0.5) - rho * z;
  if (std::isnan(radicand) || std::isnan(numerator) || radicand < 0.0) {
    fault = FpFault::InvalidOp;
    return 0.0;
  }
  if (radicand == 0.0) {
    fault = numerator == 0.0 ? FpFault::InvalidOp : FpFault::ZeroDivide;
    return 0.0;
  }
  const double d = numerator / std::sqrt(radicand);
  if (std::isinf(d)) {
    fault = FpFault::Overflow;
    return 0.0;
  }
  if (d >= 1.0) return 0.9999;
  if (d <= -1.0) return 0.0001;
  return std::asin(d) / kPi + 0.5;
}

}  // namespace

double EllipticalH(double v, double u, double rho) {
  FpFault fault = FpFault::None;
  const double h = EllipticalHChecked(v, u, rho, fault);
  return fault == FpFault::None ? h : kCopulaFault;
}

// ---- normal -----------------------------------------------------------------------

double NormalHInverse(double t, double u, double rho) {
  const double z = NormalQuantile(u, 0.0, 1.0);
  const double sd = std::sqrt(std::max(0.0, 1.0 - rho * rho));
  const double y = NormalQuantile(t, rho * z, sd);
  return NormalCdf(y, 0.0, 1.0);
}

double NormalH(double v, double u, double rho) {
  if (v <= 0.0 || v >= 1.0) return Clamp01(v);
  const double z = NormalQuantile(u, 0.0, 1.0);
  const double y = NormalQuantile(v, 0.0, 1.0);
  const double variance = 1.0 - rho * rho;
  if (!(variance > 0.0)) return y >= rho * z ? 1.0 : 0.0;
  return NormalCdf(y, rho * z, std::sqrt(variance));
}

// ---- Clayton ----------------------------------------------------------------------

double ClaytonH(double v, double u, double q) {
  if (v <= 0.0) return 0.0;
  if (v >= 1.0) return 1.0;
  if (u <= 0.0) return 1.0;
  // [(u/v)^q + 1 - u^q]^(-(1+q)/q), the bracket taken in logarithms.
  const double a = q * (std::log(u) - std::log(v));
  const double rest = -std::expm1(q * std::log(u));  // 1 - u^q
  const double logBracket =
      a > 700.0 ? a + std::log1p(rest * std::exp(-a)) : std::log(std::exp(a) + rest);
  return Clamp01(std::exp(-(1.0 + q) / q * logBracket));
}

double ClaytonHInverse(double t, double u, double q) {
  if (t <= 0.0) return 0.0;
  if (t >= 1.0) return 1.0;
  if (u <= 0.0) return 0.0;
  // u (t^(-q/(1+q)) - 1 + u^q)^(-1/q)
  const double y = std::expm1(-q / (1.0 + q) * std::log(t)) + std::exp(q * std::log(u));
  return Clamp01(std::exp(std::log(u) - std::log(y) / q));
}

namespace {

enum class Turn { None, Survival, Deg90, Deg270 };

Turn ClaytonTurn(int type, double p) {
  if (p > 0.0) return (type == 6 || type == 8) ? Turn::Survival : Turn::None;
  return (type == 5 || type == 8) ? Turn::Deg270 : Turn::Deg90;
}

Turn GumbelTurn(int type, double p) {
  if (p > 0.0) return (type == 10 || type == 12) ? Turn::Survival : Turn::None;
  return (type == 9 || type == 12) ? Turn::Deg270 : Turn::Deg90;
}

template <typename H>
double TurnedH(Turn turn, H base, double v, double u, double q) {
  switch (turn) {
    case Turn::Survival: return 1.0 - base(1.0 - v, 1.0 - u, q);
    case Turn::Deg90: return base(v, 1.0 - u, q);
    case Turn::Deg270: return 1.0 - base(1.0 - v, u, q);
    default: return base(v, u, q);
  }
}

// The inverses turn the same way: survival v = 1 - hB^-1(1 - t | 1 - u),
// 90 degrees v = hB^-1(t | 1 - u), 270 degrees v = 1 - hB^-1(1 - t | u).
template <typename H>
double TurnedHInverse(Turn turn, H baseInverse, double t, double u, double q) {
  return TurnedH(turn, baseInverse, t, u, q);
}

}  // namespace

double ClaytonVariantH(int type, double v, double u, double p) {
  if (v == 0.0 || v == 1.0 || p == 0.0) return v;
  return TurnedH(ClaytonTurn(type, p), ClaytonH, v, u, std::fabs(p));
}

double ClaytonVariantHInverse(int type, double t, double u, double p) {
  if (t == 0.0 || t == 1.0 || p == 0.0) return t;
  return TurnedHInverse(ClaytonTurn(type, p), ClaytonHInverse, t, u, std::fabs(p));
}

// ---- Gumbel -----------------------------------------------------------------------

double GumbelCopulaCdf(double u, double v, double q) {
  const double s = std::pow(-std::log(u), q) + std::pow(-std::log(v), q);
  return std::exp(-std::pow(s, 1.0 / q));
}

double GumbelDensity(double v, double u, double q) {
  if (q <= 1.0) return 0.0;
  const double lu = -std::log(u), lv = -std::log(v);
  const double s = std::pow(lu, q) + std::pow(lv, q);
  const double c = std::exp(-std::pow(s, 1.0 / q));
  return c * std::pow(s, (1.0 - 2.0 * q) / q) * std::pow(lv, q) * std::pow(lu, q - 1.0) *
         (1.0 - q - std::pow(s, 1.0 / q)) / (v * u * std::log(v));
}

// With x = -ln u, y = -ln v and w = (x^q + y^q)^(1/q):
// h(v | u) = exp(x - w + (q - 1)(ln x - ln w)).
double GumbelH(double v, double u, double q) {
  if (u == 0.0) return v;
  if (v <= 0.0) return 0.0;
  if (v >= 1.0) return 1.0;
  if (u >= 1.0) return 0.0;
  const double x = -std::log(u), y = -std::log(v);
  const double big = std::max(x, y), small = std::min(x, y);
  const double logW =
      std::log(big) + std::log1p(std::exp(q * (std::log(small) - std::log(big)))) / q;
  const double w = std::exp(logW);
  return Clamp01(std::exp(x - w + (q - 1.0) * (std::log(x) - logW)));
}

namespace {

// e^m - 1 for 0 <= m <= 0.1 from its Taylor series to m^10 (relative error
// below 3e-18): the digits that e^m - 1 loses for small m, without a call.
double Expm1Small(double m) {
  const double m2 = m * m, m4 = m2 * m2;
  const double p01 = 1.0 + m * (1.0 / 2), p23 = 1.0 / 6 + m * (1.0 / 24);
  const double p45 = 1.0 / 120 + m * (1.0 / 720), p67 = 1.0 / 5040 + m * (1.0 / 40320);
  const double p89 = 1.0 / 362880 + m * (1.0 / 3628800);
  return m * ((p01 + m2 * p23) + m4 * ((p45 + m2 * p67) + m4 * p89));
}

// ln(sinh(h) / h) for 0 <= h <= 1/2, as a series in g = h^2 (coefficients
// 2^2k B_2k / (2k (2k)!), to g^10; error below 3e-19). With h = s / 2 it is
// ln((e^s - 1) / s) - s / 2.
double LogSinhcOverH(double g) {
  const double g2 = g * g, g4 = g2 * g2;
  const double c1 = 1.0 / 6, c2 = -1.0 / 180, c3 = 1.0 / 2835, c4 = -1.0 / 37800, c5 = 1.0 / 467775,
               c6 = -691.0 / 3831077250, c7 = 2.0 / 127702575, c8 = -3617.0 / 2605132530000,
               c9 = 43867.0 / 350813659321125, c10 = -174611.0 / 15313294652906250;
  const double low = (c1 + g * c2) + g2 * (c3 + g * c4);
  const double mid = (c5 + g * c6) + g2 * (c7 + g * c8);
  return g * (low + g4 * (mid + g4 * (c9 + g * c10)));
}

// The root d of d + b (e^d - 1 - d) = n for 0 <= b <= 1, from its inverse
// series to n^7 (coefficients A_k polynomial in b; error about |n|^8 / 8).
inline double GumbelInverseSeries(double n, double b) {
  const double b2 = b * b, b4 = b2 * b2;
  const double A2 = -0.5 * b;
  const double A3 = b * (0.5 * b - 1.0 / 6);
  const double A4 = b * ((-1.0 / 24 + b * (5.0 / 12)) - 0.625 * b2);
  const double A5 = b * ((-1.0 / 120 + b * (5.0 / 24)) + b2 * (-0.875 + 0.875 * b));
  const double A6 =
      b * ((-1.0 / 720 + b * (7.0 / 90)) + b2 * (-49.0 / 72 + 1.75 * b) - b4 * (21.0 / 16));
  const double A7 = b * ((-1.0 / 5040 + b * (17.0 / 720)) + b2 * (-137.0 / 360 + 1.875 * b) +
                         b4 * (-55.0 / 16 + b * (33.0 / 16)));
  const double n2 = n * n, n4 = n2 * n2;
  return n + n2 * ((A2 + n * A3) + n2 * (A4 + n * A5) + n4 * (A6 + n * A7));
}

// The same root d of a d + B (e^d - 1) = N written with R = B + N, which is
// known before B: then d solves (1 - N/R) e^d + (a/R) d = 1, and its series in
// m = N / (a + R) has coefficients c_k polynomial in r = R / (a + R) alone, so
// they can be evaluated while e^mu is still being computed. For r in [0, 1]
// they are largest at r = 0, where c_k = k^(k-1) / k!; to m^8 the error is
// below 119 |m|^9, below 2e-17 for the steps a single pass accepts.
struct TEarlySeries {
  double c2, c3, c4, c5, c6, c7, c8;
};

inline TEarlySeries EarlySeriesCoefficients(double r) {
  const double r2 = r * r, r4 = r2 * r2;
  const double c2 = (1.0 + r * (-1.0 / 2));
  const double c3 = (((3.0 / 2) + r * (-5.0 / 3)) + r2 * (1.0 / 2));
  const double c4 = (((8.0 / 3) + r * (-113.0 / 24)) + r2 * ((35.0 / 12) + r * (-5.0 / 8)));
  const double c5 = ((((125.0 / 24) + r * (-763.0 / 60)) + r2 * ((145.0 / 12) + r * (-21.0 / 4))) +
                     r4 * (7.0 / 8));
  const double c6 =
      ((((54.0 / 5) + r * (-24337.0 / 720)) + r2 * ((15673.0 / 360) + r * (-2065.0 / 72))) +
       r4 * ((77.0 / 8) + r * (-21.0 / 16)));
  const double c7 =
      ((((16807.0 / 720) + r * (-75011.0 / 840)) + r2 * ((6989.0 / 48) + r * (-23221.0 / 180))) +
       r4 * (((1045.0 / 16) + r * (-143.0 / 8)) + r2 * (33.0 / 16)));
  const double c8 = ((((16384.0 / 315) + r * (-9492289.0 / 40320)) +
                      r2 * ((1042239.0 / 2240) + r * (-597859.0 / 1152))) +
                     r4 * (((101387.0 / 288) + r * (-18557.0 / 128)) +
                           r2 * ((2145.0 / 64) + r * (-429.0 / 128))));
  return {c2, c3, c4, c5, c6, c7, c8};
}

inline double EarlySeries(double m, const TEarlySeries& c) {
  const double m2 = m * m, m4 = m2 * m2;
  const double low = (c.c2 + m * c.c3) + m2 * (c.c4 + m * c.c5);
  const double high = (c.c6 + m * c.c7) + m2 * c.c8;
  return m + m2 * (low + m4 * high);
}

}  // namespace

// With x = -ln u, y = -ln v and w = (x^q + y^q)^(1/q) = x e^mu (mu >= 0),
// h(v | u) = t reads f(mu) = x (e^mu - 1) + (q - 1) mu - T = 0 with T = -ln t,
// an increasing convex function of mu, and then y = x (e^(q mu) - 1)^(1/q).
// Measuring w from x keeps the digits of t near 1 (through T) and of u near 1
// (through x).
//
// From mu, the correction d solves (q - 1) d + B (e^d - 1) = -f(mu) with
// B = x e^mu exactly; in the Newton step n = -f(mu) / (q - 1 + B) and the share
// b = B / (q - 1 + B) it reads d + b (e^d - 1 - d) = n, whose inverse series
// d = n + A2 n^2 + ... + A7 n^7 has coefficients A_k polynomial in b. Taken to
// the seventh power it leaves an error of the eighth order, so one exponential
// per pass (none below mu = 0.1) and mostly a single pass. The first pass
// takes the same root from quantities known before e^mu (EarlySeries), so
// that its series is ready when the exponential is. From mu = 0 the
// same series is the start while n = T / (q - 1 + x) is at most 0.6 (then
// within 3e-3 mu of the root); beyond, the start is the root with e^mu - 1
// replaced by its Pade form mu / (1 - mu / 2) while the root is below 1.5.
//
// Then ln(e^s - 1) with s = q mu: for s <= 1 as ln s + s / 2 + ln(sinh(s/2) /
// (s/2)), one logarithm and no cancellation; above, s + ln(1 - e^-s).
double GumbelHInverse(double t, double u, double q) {
  if (u == 0.0) return t;
  if (t <= 0.0) return 0.0;
  if (t >= 1.0) return 1.0;
  if (u >= 1.0) return 1.0;  // all mass at v = 1
  if (!(q > 1.0)) return t;  // independence (and no Gumbel parameter below it)
  const double x = -std::log(u);
  const double T = -std::log(t);
  const double a = q - 1.0;
  // The start's region is told apart on x and T alone, so that the branch is
  // settled before the divisions and roots of the starts: n0 = T / (a + x) at
  // most 0.6 for the series, the root above 1.5 (f(1.5) = x (e^1.5 - 1) +
  // 1.5 a < T) for the far start, the Pade start between: up to 1.5 it still
  // leaves a single pass, and it takes no logarithm.
  double mu;
  if (T <= 0.6 * (a + x)) {
    const double atZero = 1.0 / (a + x);
    mu = GumbelInverseSeries(T * atZero, x * atZero);
  } else if (T > 3.481689070338065 * x + 1.5 * a) {
    // Beyond the Pade form's reach: the smaller of two starts right of the
    // root, the root with e^mu - 1 replaced by mu + mu^2 / 2 and ln(1 + T/x)
    // (which also keeps e^mu finite), then one Newton step from it. Where the
    // exponential term dominates the slope the step is taken on
    // mu = ln(1 + (T - a mu) / x), nearly linear there; elsewhere on f itself.
    // Both functions are convex and rising, so the step stays right of the root.
    const double s = x + a;
    const double upper =
        std::min(2.0 * T / (s + std::sqrt(s * s + 2.0 * x * T)), std::log(1.0 + T / x));
    const double xe = x + T - a * upper;  // x e^mu at the root if the root were at upper
    if (xe >= a) {
      mu = upper - (upper - std::log(xe / x)) / (1.0 + a / xe);
    } else {
      const double e = std::exp(upper);
      mu = upper - (x * (e - 1.0) + a * upper - T) / (x * e + a);
    }
  } else {
    // The root with e^mu - 1 replaced by its Pade form mu / (1 - mu / 2), then
    // one Newton step towards the root with the finer Pade form
    // e^mu - 1 = 12 mu / (12 - 6 mu + mu^2), that is towards the root of the
    // cubic 12 x mu + (a mu - T)(12 - 6 mu + mu^2); mostly within 3e-3 of the root.
    const double b = x + a + 0.5 * T;
    mu = 2.0 * T / (b + std::sqrt(b * b - 2.0 * a * T));
    const double d = 12.0 - 6.0 * mu + mu * mu;
    const double g = a * mu - T;
    const double cubic = 12.0 * x * mu + g * d;
    const double slope = 12.0 * x + a * d + g * (2.0 * mu - 6.0);
    const double next = mu - cubic / slope;
    if (next > 0.0 && next <= 2.0) mu = next;
  }
  // The start's ln s or e^-s (s = q mu), taken alongside the pass and carried
  // to the root by series when one pass suffices. Which of the two is again
  // told on x and T: the root is at most 1/q where f(1/q) >= 0, with e^(1/q) - 1
  // from its series to the fifth power (within 0.15 %); the carried forms
  // hold a little beyond s = 1 either way.
  const double mu0 = mu, s0 = q * mu0;
  const double iq = 1.0 / q;
  const double expm1Iq =
      iq * (1.0 + iq * (0.5 + iq * (1.0 / 6 + iq * (1.0 / 24 + iq * (1.0 / 120)))));
  const bool below = T <= x * expm1Iq + a * iq;
  const double atStart = below ? std::log(s0) : std::exp(-s0);
  const double inv0 = 1.0 / mu0;
  int passes = 0;
  double last = 1.0;  // the last step
  {
    // The first pass by the early series: with R = x + T - a mu0 its
    // coefficients are under way while e^mu0 is computed. The root is at most
    // 0.1 where f(0.1) >= 0 (e^0.1 - 1 = 0.105170...); there the series of
    // e^mu - 1 serves up to 0.105 (error below 5e-18), elsewhere up to 0.1.
    const bool small = T <= 0.10517091807564763 * x + 0.1 * a;
    const double R = x + (T - a * mu0);
    const double iR = 1.0 / (a + R);
    const TEarlySeries c = EarlySeriesCoefficients(R * iR);
    const double e = (small ? mu0 <= 0.105 : mu0 <= 0.1) ? Expm1Small(mu0) : std::exp(mu0) - 1.0;
    const double m = ((T - x * e) - a * mu0) * iR;
    if (R > 0.0 && std::fabs(m) <= 0.1) {
      passes = 1;
      last = EarlySeries(m, c);
      mu += last;
    }
  }
  // Further passes while the last step was large (or the start far off). After
  // a step below 8e-3 min(mu, 1) the error of y is of the order (8e-3)^8 / 8 or
  // below (y grows like e^mu for large mu and like mu^(1/q) for small mu).
  for (int i = 0; i < 50 && std::fabs(last) > 8e-3 * std::min(mu, 1.0); ++i) {
    ++passes;
    // e^mu - 1; from 0.1 on the plain exponential loses no digit that matters.
    const double e = mu > 0.1 ? std::exp(mu) - 1.0 : Expm1Small(mu);
    const double B = x * (e + 1.0);
    const double i1 = 1.0 / (a + B);
    const double n = (T - x * e - a * mu) * i1;
    if (!(std::fabs(n) <= 0.1)) {
      // Far from the root: a Newton step, never more than 1 upwards.
      mu += std::min(n, 1.0);
      if (std::isnan(mu)) break;
      last = 1.0;
      continue;
    }
    last = GumbelInverseSeries(n, B * i1);
    mu += last;
  }
  if (std::isnan(mu)) return t;
  if (mu <= 0.0) return 1.0;
  // y = x (e^s - 1)^(1/q) with s = q mu.
  const double s = q * mu;
  const double d = mu - mu0;
  double logY;  // ln(y / x)
  if (s > 1.0) {
    // e^-s = e^-s0 e^-(s - s0), the second factor from its series while
    // s - s0 is below 1e-3 (error below 1e-17).
    const double h = q * d;
    const double z = passes == 1 && !below && std::fabs(h) <= 1e-3
                         ? atStart * (1.0 - h * (1.0 - h * (0.5 - h * (1.0 / 6 - h * (1.0 / 24)))))
                         : std::exp(-s);
    logY = mu + std::log(1.0 - z) * iq;
  } else {
    // ln s = ln s0 + ln(1 + w) with w = d / mu0, from its series while |w| is
    // at most 3e-3 (error below 4e-19).
    const double w = d * inv0;
    double logS;
    if (passes == 1 && below && std::fabs(w) <= 3e-3) {
      const double w2 = w * w, w4 = w2 * w2;
      logS = atStart +
             (w * (1.0 - 0.5 * w) + w2 * w * (1.0 / 3 - 0.25 * w) + w4 * w * (0.2 - w * (1.0 / 6)));
    } else {
      logS = std::log(s);
    }
    logY = (logS + 0.5 * s + LogSinhcOverH(0.25 * s * s)) * iq;
  }
  return Clamp01(std::exp(-x * std::exp(logY)));
}

namespace {

// params: q, u, t.
double GumbelRootFunction(double x, const double* params) {
  return GumbelVariantH(9, x, params[1], params[0]) - params[2];
}
double GumbelRootDerivative(double x, const double* params) {
  return GumbelDensity(x, params[1], params[0]);
}

}  // namespace

double GumbelHInverseBracketed(double t, double u, double q) {
  if (u == 0.0) return t;
  const double params[3] = {q, u, t};
  double root = t;
  if (!FindRootSafe(GumbelRootFunction, GumbelRootDerivative, params, 0.0, 1.0, 1e-6, root))
    return t;
  return root;
}

double GumbelVariantH(int type, double v, double u, double p) {
  if (v == 0.0 || v == 1.0) return v;
  if (p == 1.0 || p == -1.0) return v;  // independence, whichever the sign
  if (p > -1.0 && p < 1.0) return 0.0;  // not a Gumbel parameter
  return TurnedH(GumbelTurn(type, p), GumbelH, v, u, std::fabs(p));
}

double GumbelVariantHInverse(int type, double t, double u, double p) {
  if (t == 0.0 || t == 1.0) return t;
  if (p == 1.0 || p == -1.0) return t;
  if (p > -1.0 && p < 1.0) return 0.0;
  return TurnedHInverse(GumbelTurn(type, p), GumbelHInverse, t, u, std::fabs(p));
}

// ---- dispatch ------------------------------------------------------------------------

double ConditionalInverse(int type, double p, double u, double t) {
  u = Clamp01(u);
  t = Clamp01(t);
  switch (type) {
    case 0: return FrankHInverse(t, u, p);
    case 1: return BandHInverse(t, u, p);
    case 2: return SampleMinInfo(CopulaGrid, p, u);
    case 3: return EllipticalHInverse(t, u, p);
    case 4: return NormalHInverse(t, u, p);
    case 5:
    case 6:
    case 7:
    case 8: return ClaytonVariantHInverse(type, t, u, p);
    case 9:
    case 10:
    case 11:
    case 12: return GumbelVariantHInverse(type, t, u, p);
    default: return 0.0;
  }
}

double ConditionalInverseFromRank(int type, double r, double u, double t) {
  return ConditionalInverse(type, CopulaParameter(type, r), u, t);
}

double ConditionalCdf(int type, double p, double u, double v) {
  if (type < 0 || type > 12 || type == 2) return 0.0;
  FpFault fault = FpFault::None;
  double h = 0.0;
  if (std::isnan(p) || std::isnan(u) || std::isnan(v)) {
    fault = FpFault::InvalidOp;
  } else {
    switch (type) {
      case 0: h = FrankH(v, u, p); break;
      case 1: h = BandH(v, u, p); break;
      case 3: h = EllipticalHChecked(v, u, p, fault); break;
      case 4: h = NormalH(v, u, p); break;
      case 5:
      case 6:
      case 7:
      case 8: h = ClaytonVariantH(type, v, u, p); break;
      default: h = GumbelVariantH(type, v, u, p); break;
    }
    if (fault == FpFault::None && !std::isfinite(h))
      fault = std::isnan(h) ? FpFault::InvalidOp : FpFault::Overflow;
  }
  if (fault != FpFault::None) {
    RecordFault(fault, type);
    return kCopulaFault;
  }
  return h;
}

}  // namespace tesmira
