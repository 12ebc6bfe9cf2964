#include "distributions/special_functions.h"

#include <cmath>

namespace tesmira {

namespace {

constexpr long double kEpsilon = 2.2204e-16L;
// Iteration caps: far above what any converging argument needs, so that they
// only end loops on NaN or otherwise hopeless arguments.
constexpr int kSeriesCap = 100000;
constexpr int kChiSquareCap = 1000;

}  // namespace

long double Power(long double x, long double p) {
  if (x > 0) return std::exp(p * std::log(x));
  if (x == 0) return 0;
  if (x < 0) {
    long double frac = p - std::trunc(p);
    if (std::fabs(frac) >= 1e-9L) return 0;
    long double r = std::exp(p * std::log(-x));
    long double n = std::nearbyint(p);
    return (std::fmod(n, 2.0L) != 0) ? -r : r;
  }
  return x;  // NaN
}

long double InverseNormal(long double u) {
  static const long double p0 = -0.322232431088L, p1 = -1.0L, p2 = -0.342242088547L,
                           p3 = -0.0204231210245L, p4 = -0.453642210148e-4L;
  static const long double q0 = 0.0993484626060L, q1 = 0.588581570495L, q2 = 0.531103462366L,
                           q3 = 0.103537752850L, q4 = 0.38560700634e-2L;
  if (u == 0.5L) return 0;
  long double v = (u < 1 - u) ? u : 1 - u;
  long double y = std::sqrt(-std::log(v * v));
  long double z = y + ((((y * p4 + p3) * y + p2) * y + p1) * y + p0) /
                          ((((y * q4 + q3) * y + q2) * y + q1) * y + q0);
  return u >= 0.5L ? z : -z;
}

namespace {

// Coefficients of Cody's approximation of Gamma on [1, 2] and of the Stirling
// series shared with LogGamma.
const long double kGammaP[8] = {-1.71618513886549492533811E+0L, 2.47656508055759199108314E+1L,
                                -3.79804256470945635097577E+2L, 6.29331155312818442661052E+2L,
                                8.66966202790413211295064E+2L,  -3.14512729688483675254357E+4L,
                                -3.61444134186911729807069E+4L, 6.64561438202405440627855E+4L};
const long double kGammaQ[8] = {-3.08402300119738975254353E+1L, 3.15350626979604161529144E+2L,
                                -1.01515636749021914166146E+3L, -3.10777167157231109440444E+3L,
                                2.25381184209801510330112E+4L,  4.75584627752788110767815E+3L,
                                -1.34659959864969306392456E+5L, -1.15132259675553483497211E+5L};
const long double kStirling[7] = {
    -1.910444077728E-03L,     8.4171387781295E-04L,          -5.952379913043012E-04L,
    7.93650793500350248E-04L, -2.777777777777681622553E-03L, 8.333333333333333331554247E-02L,
    5.7083835261E-03L};
const long double kLnSqrt2Pi = 0.9189385332046727417L;

// Gamma(1 + z) for 0 <= z < 1.
long double GammaOnOneTwo(long double z) {
  long double num = 0, den = 1;
  for (int i = 0; i < 8; ++i) {
    num = (num + kGammaP[i]) * z;
    den = den * z + kGammaQ[i];
  }
  return num / den + 1;
}

}  // namespace

long double GammaFunction(long double x) {
  if (!(x > 0)) return std::isnan(x) ? x : -777.0L;
  if (x < 1) return GammaOnOneTwo(x) / x;
  if (x < 12) {
    int n = static_cast<int>(std::trunc(x)) - 1;
    long double y = x - n;
    long double res = GammaOnOneTwo(y - 1);
    for (int i = 0; i < n; ++i) {
      res *= y;
      y += 1;
    }
    return res;
  }
  long double ysq = x * x;
  long double sum = kStirling[6];
  for (int i = 0; i < 6; ++i) sum = sum / ysq + kStirling[i];
  sum = sum / x - x + kLnSqrt2Pi + (x - 0.5L) * std::log(x);
  return std::exp(sum);
}

namespace {

const long double kD1 = -0.57721566490153286045L;
const long double kD2 = 0.42278433509846713936L;
const long double kD4 = 1.791759469228055L;
const long double kP1[8] = {4.945235359296727046734888E0L, 2.018112620856775083915565E2L,
                            2.290838373831346393026739E3L, 1.131967205903380828685045E4L,
                            2.855724635671635335736389E4L, 3.848496228443793359990269E4L,
                            2.637748787624195437963534E4L, 7.225813979700288197698961E3L};
const long double kQ1[8] = {6.748212550303777196073036E1L, 1.113332393857199323513008E3L,
                            7.738757056935398733233834E3L, 2.763987074403340708898585E4L,
                            5.499310206226157329794414E4L, 6.161122180066002127833352E4L,
                            3.635127591501940507276287E4L, 8.785536302431013170870835E3L};
const long double kP2[8] = {4.974607845568932035012064E0L, 5.424138599891070494101986E2L,
                            1.550693864978364947665077E4L, 1.847932904445632425417223E5L,
                            1.088204769468828767498470E6L, 3.338152967987029735917223E6L,
                            5.106661678927352456275255E6L, 3.074109054850539556250927E6L};
const long double kQ2[8] = {1.830328399370592604055942E2L, 7.765049321445005871323047E3L,
                            1.331903827966074194402448E5L, 1.136705821321969608938755E6L,
                            5.267964117437946917577538E6L, 1.346701454311101692290052E7L,
                            1.782736530353274213975932E7L, 9.533095591844353613395747E6L};
const long double kP4[8] = {1.474502166059939948905062E4L,  2.426813369486704502836312E6L,
                            1.214755574045093227939592E8L,  2.663432449630976949898078E9L,
                            2.940378956634553899906876E10L, 1.702665737765398868392998E11L,
                            4.926125793377430887588120E11L, 5.606251856223951465078242E11L};
const long double kQ4[8] = {2.690530175870899333379843E3L,  6.393885654300092398984238E5L,
                            4.135599930241388052042842E7L,  1.120872109616147941376570E9L,
                            1.488613728678813811542398E10L, 1.016803586272438228077304E11L,
                            3.417476345507377132798597E11L, 4.463158187419713286462081E11L};
const long double kPnt68 = 0.6796875L;

}  // namespace

long double LogGamma(long double x) {
  if (std::isnan(x)) return x;
  if (x <= 0) return 0;
  long double y = x;
  if (y <= kEpsilon) return -std::log(y);
  if (y <= 1.5L) {
    long double corr, xm1;
    if (y < kPnt68) {
      corr = -std::log(y);
      xm1 = y;
    } else {
      corr = 0;
      xm1 = (y - 0.5L) - 0.5L;
    }
    if (y <= 0.5L || y >= kPnt68) {
      long double den = 1, num = 0;
      for (int i = 0; i < 8; ++i) {
        num = num * xm1 + kP1[i];
        den = den * xm1 + kQ1[i];
      }
      return corr + xm1 * (kD1 + xm1 * (num / den));
    }
    long double xm2 = (y - 0.5L) - 0.5L;
    long double den = 1, num = 0;
    for (int i = 0; i < 8; ++i) {
      num = num * xm2 + kP2[i];
      den = den * xm2 + kQ2[i];
    }
    return corr + xm2 * (kD2 + xm2 * (num / den));
  }
  if (y <= 4) {
    long double xm2 = y - 2;
    long double den = 1, num = 0;
    for (int i = 0; i < 8; ++i) {
      num = num * xm2 + kP2[i];
      den = den * xm2 + kQ2[i];
    }
    return xm2 * (kD2 + xm2 * (num / den));
  }
  if (y <= 12) {
    long double xm4 = y - 4;
    long double den = -1, num = 0;
    for (int i = 0; i < 8; ++i) {
      num = num * xm4 + kP4[i];
      den = den * xm4 + kQ4[i];
    }
    return kD4 + xm4 * (num / den);
  }
  long double res = kStirling[6];
  long double ysq = y * y;
  for (int i = 0; i < 6; ++i) res = res / ysq + kStirling[i];
  res /= y;
  long double corr = std::log(y);
  res = res + kLnSqrt2Pi - 0.5L * corr;
  res = res + y * (corr - 1);
  return res;
}

long double IncompleteGamma(long double a, long double x) {
  if (x == 0) return 0;
  if (x < a + 1) {
    long double ap = a;
    long double term = 1 / a;
    long double sum = term;
    for (int n = 0; n < kSeriesCap; ++n) {
      ap += 1;
      term = term * x / ap;
      sum += term;
      if (std::fabs(term) < std::fabs(sum) * 2.2204e-15L) break;
    }
    return sum * std::exp(a * std::log(x) - x - LogGamma(a));
  }
  // Continued fraction for Q(a, x), numerators and denominators renormalised.
  long double gold = 0, g = 0;
  long double a0 = 1, a1 = x, b0 = 0, b1 = 1, fac = 1;
  for (int n = 1; n <= kSeriesCap; ++n) {
    long double an = n;
    long double ana = an - a;
    a0 = (a1 + a0 * ana) * fac;
    b0 = (b1 + b0 * ana) * fac;
    long double anf = an * fac;
    a1 = x * a0 + anf * a1;
    b1 = x * b0 + anf * b1;
    if (a1 != 0) {
      fac = 1 / a1;
      g = b1 * fac;
      if (std::fabs(g - gold) < std::fabs(g) * 2.2204e-15L) break;
      gold = g;
    }
  }
  return 1 - std::exp(a * std::log(x) - x - LogGamma(a)) * g;
}

long double ChiSquareQuantile(long double nu, long double p) {
  const long double aa = 0.6931471805L, e = 5e-6L;
  const long double c1 = 0.01L, c2 = 0.222222L, c3 = 0.32L, c4 = 0.4L, c5 = 1.24L, c6 = 2.2L,
                    c7 = 4.67L, c8 = 6.66L, c9 = 6.73L, c10 = 13.32L, c11 = 60, c12 = 70, c13 = 84,
                    c14 = 105, c15 = 120, c16 = 127, c17 = 140, c18 = 175, c19 = 210, c20 = 252,
                    c21 = 264, c22 = 294, c23 = 346, c24 = 420, c25 = 462, c26 = 606, c27 = 672,
                    c28 = 707, c29 = 735, c30 = 889, c31 = 932, c32 = 966, c33 = 1141, c34 = 1182,
                    c35 = 1278, c36 = 1740, c37 = 2520, c38 = 5040;
  if (!(nu > 0) || !(p > 2e-6L) || !(p < 0.999998L)) return 0;
  long double xx = 0.5L * nu;
  long double c = xx - 1;
  long double g = LogGamma(xx);
  long double ch;
  if (nu < -c5 * std::log(p)) {
    // Start for small chi-square values.
    ch = std::pow(p * xx * std::exp(g + xx * aa), 1 / xx);
    if (ch < e) return ch;
  } else if (nu <= c3) {
    // Start for nu <= 0.32.
    ch = c4;
    long double a = std::log(1 - p);
    for (int it = 0; it < kChiSquareCap; ++it) {
      long double q = ch;
      long double p1 = 1 + ch * (c7 + ch);
      long double p2 = ch * (c9 + ch * (c8 + ch));
      long double t = -0.5L + (c7 + 2 * ch) / p1 - (c9 + ch * (c10 + 3 * ch)) / p2;
      ch = ch - (1 - std::exp(a + g + 0.5L * ch + c * aa) * p2 / p1) / t;
      if (!(std::fabs(q / ch - 1) > c1)) break;
    }
  } else {
    // Wilson and Hilferty start, and its correction for p near 1.
    long double x = InverseNormal(p);
    long double p1 = c2 / nu;
    ch = nu * std::pow(x * std::sqrt(p1) + 1 - p1, 3);
    if (ch > c6 * nu + 6) ch = -2 * (std::log(1 - p) - c * std::log(0.5L * ch) + g);
  }
  // Seven-term Taylor series steps.
  for (int it = 0; it < kChiSquareCap; ++it) {
    long double q = ch;
    long double p1 = 0.5L * ch;
    long double p2 = p - IncompleteGamma(xx, p1);
    long double t = p2 * std::exp(xx * aa + g + p1 - c * std::log(ch));
    long double b = t / ch;
    long double a = 0.5L * t - b * c;
    long double s1 = (c19 + a * (c17 + a * (c14 + a * (c13 + a * (c12 + c11 * a))))) / c24;
    long double s2 = (c24 + a * (c29 + a * (c32 + a * (c33 + c35 * a)))) / c37;
    long double s3 = (c19 + a * (c25 + a * (c28 + c31 * a))) / c37;
    long double s4 = (c20 + a * (c27 + c34 * a) + c * (c22 + a * (c30 + c36 * a))) / c38;
    long double s5 = (c13 + c21 * a + c * (c18 + c26 * a)) / c37;
    long double s6 = (c15 + c * (c23 + c16 * c)) / c38;
    ch = ch + t * (1 + 0.5L * t * s1 -
                   b * c * (s1 - b * (s2 - b * (s3 - b * (s4 - b * (s5 - b * s6))))));
    if (!(std::fabs(q / ch - 1) > e)) break;
  }
  return ch;
}

long double BetaContinuedFraction(long double alpha, long double beta, long double x) {
  long double am = 1, bm = 1, az = 1;
  long double qab = alpha + beta, qap = alpha + 1, qam = alpha - 1;
  long double bz = 1 - qab * x / qap;
  for (int m = 1; m <= kSeriesCap; ++m) {
    long double em = m, tem = em + em;
    long double d = em * (beta - em) * x / ((qam + tem) * (alpha + tem));
    long double ap = az + d * am;
    long double bp = bz + d * bm;
    d = -(alpha + em) * (qab + em) * x / ((alpha + tem) * (qap + tem));
    long double app = ap + d * az;
    long double bpp = bp + d * bz;
    long double aold = az;
    am = ap / bpp;
    bm = bp / bpp;
    az = app / bpp;
    bz = 1;
    if (!(std::fabs(az - aold) > 8.8816e-16L * std::fabs(az))) break;
  }
  return az;
}

long double IncompleteBeta(long double alpha, long double beta, long double x) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  long double bt = std::exp(alpha * std::log(x) + beta * std::log(1 - x) + LogGamma(alpha + beta) -
                            LogGamma(alpha) - LogGamma(beta));
  if (x < (alpha + 1) / (alpha + beta + 2))
    return bt * BetaContinuedFraction(alpha, beta, x) / alpha;
  return 1 - bt * BetaContinuedFraction(beta, alpha, 1 - x) / beta;
}

long double BetaDensity(long double alpha, long double beta, long double x) {
  return std::exp((alpha - 1) * std::log(x) + (beta - 1) * std::log(1 - x) +
                  LogGamma(alpha + beta) - LogGamma(alpha) - LogGamma(beta));
}

long double BetaQuantileStart(long double alpha, long double beta, long double u) {
  if (u <= 1e-10L) return 0;
  if (u >= 0.9999999999L) return 1;
  long double y = -InverseNormal(u);
  long double lambda = (y * y - 3) / 6;
  long double r1 = 1 / (2 * alpha - 1), r2 = 1 / (2 * beta - 1);
  long double h = 2 / (r1 + r2);
  long double w =
      y * std::sqrt(h + lambda) / h - (r2 - r1) * (lambda + 0.83333333L - 0.66666666L / h);
  return alpha / (alpha + beta * std::exp(2 * w));
}

long double BetaQuantile(long double alpha, long double beta, long double u) {
  if (u == 0) return 0;
  if (u == 1) return 1;
  const long double root_eps = std::sqrt(kEpsilon);
  long double x =
      (alpha > 1 && beta > 1) ? BetaQuantileStart(alpha, beta, u) : alpha / (alpha + beta);
  if (x == 0) x = root_eps;
  if (x == 1) x = 1 - root_eps;
  for (int it = 0; it < 100; ++it) {
    long double step = (IncompleteBeta(alpha, beta, x) - u) / BetaDensity(alpha, beta, x);
    long double xn = x - step;
    if (xn < 0) xn = x / 10;
    if (xn > 1) xn = 1 - (1 - x) / 10;
    x = xn;
    if (!(std::fabs(step) > root_eps * std::fabs(x)) || !(std::fabs(step) > root_eps)) break;
  }
  return x;
}

RootResult RTSAFE(long double accuracy, long double x1, long double x2, const RootFunction& f) {
  constexpr int kMaxIterations = 100;
  RootResult result;
  long double fl, fh, df;
  f(x1, fl, df);
  f(x2, fh, df);
  if (!(fl * fh < 0)) {
    result.root = 0.5L * (x1 + x2);
    result.status = RootStatus::NotBracketed;
    return result;
  }
  long double xl, xh;
  if (fl < 0) {
    xl = x1;
    xh = x2;
  } else {
    xh = x1;
    xl = x2;
  }
  long double rts = 0.5L * (x1 + x2);
  long double dxold = std::fabs(x2 - x1);
  long double dx = dxold;
  long double fv;
  f(rts, fv, df);
  for (int j = 0; j < kMaxIterations; ++j) {
    if ((((rts - xh) * df - fv) * ((rts - xl) * df - fv) >= 0) ||
        (std::fabs(2 * fv) > std::fabs(dxold * df))) {
      dxold = dx;
      dx = 0.5L * (xh - xl);
      rts = xl + dx;
      if (xl == rts) {
        result.root = rts;
        return result;
      }
    } else {
      dxold = dx;
      dx = fv / df;
      long double temp = rts;
      rts -= dx;
      if (temp == rts) {
        result.root = rts;
        return result;
      }
    }
    if (std::fabs(dx) < accuracy) {
      result.root = rts;
      return result;
    }
    f(rts, fv, df);
    if (fv < 0)
      xl = rts;
    else
      xh = rts;
  }
  result.root = rts;
  result.status = RootStatus::NotConverged;
  return result;
}

}  // namespace tesmira
