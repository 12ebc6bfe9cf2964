// The thirteen bivariate copula types of a dependence arc (codes 0..12, see
// CopulaFrank... in tesmira/records.h): the map from an arc's rank correlation
// to the copula's own parameter, the conditional distribution function
// h(v | u) = P(V <= v | U = u) and its inverse, which turns a uniform t into
// the child's value v given the parent's value u.
//
//   code  copula                                   parameter p
//   0     Frank                                    FrankThetaFromRank(r)
//   1     diagonal band                            BandWidthFromRank(r) (signed half-width)
//   2     minimum information (tabulated)          r itself (see copula_tables.h)
//   3     elliptical                               r itself
//   4     normal                                   NormalRhoFromRank(r)
//   5..8  Clayton variants                         ClaytonThetaFromRank(r)
//   9..12 Gumbel variants                          GumbelThetaFromRank(r)
//
// Typical use in a sampler: p = CopulaParameter(type, r) once per arc and run,
// then v = ConditionalInverse(type, p, u, t) per sample. The results are the
// same as recomputing p every time. Nothing here allocates or throws.
//
// Rotations of the Clayton and Gumbel variants (q = |p| for Clayton, q = |p|
// for Gumbel with |p| > 1):
//   type  p > 0 (Clayton p >= 0)   p < 0 (Gumbel p < -1)
//   5     Clayton                  rotated 270 degrees
//   6     survival Clayton         rotated 90 degrees
//   7     Clayton                  rotated 90 degrees
//   8     survival Clayton         rotated 270 degrees
//   9     Gumbel                   rotated 270 degrees
//   10    survival Gumbel          rotated 90 degrees
//   11    Gumbel                   rotated 90 degrees
//   12    survival Gumbel          rotated 270 degrees
// where survival: h(v|u) = 1 - hB(1-v | 1-u); 90 degrees: h(v|u) = hB(v | 1-u);
// 270 degrees: h(v|u) = 1 - hB(1-v | u). Clayton puts its tail dependence in
// the lower corner (0,0), Gumbel in the upper corner (1,1); survival moves it
// to the opposite corner, 90 degrees to (1,0) for Clayton and (0,1) for
// Gumbel, 270 degrees to (0,1) for Clayton and (1,0) for Gumbel.
#pragma once

#include <cstdint>

#include "tesmira/records.h"  // CopulaFrank ... CopulaGumbel

namespace tesmira {

constexpr int kCopulaTypeCount = 13;

// ---- parameter maps (pure functions of the rank correlation r in [-1, 1]) ----

// Frank theta; 0 for r = 0.
double FrankThetaFromRank(double r);
// Signed half-width w of the diagonal band: 1 for r = 0, 0 for r = 1, -2 for r = -1
// (the marker of the reflected band of width 0, v = 1 - u).
double BandWidthFromRank(double r);
// Product-moment correlation of the normal copula: 2 sin(pi r / 6).
double NormalRhoFromRank(double r);
// Clayton theta; 0 for r = 0 only (a tiny nonzero r gives about +-0.0712).
double ClaytonThetaFromRank(double r);
// Gumbel theta; 1 (independence) for r = 0 or a fit below 1 in magnitude;
// otherwise sign(r) times a value >= 1.
double GumbelThetaFromRank(double r);

// The parameter p of the table above for the given type; 0 for a code outside 0..12.
double CopulaParameter(int type, double r);

// ---- conditional inverse and conditional distribution ----------------------------

// v = h^-1(t | u) for copula type with parameter p (from CopulaParameter).
// u, t in [0, 1] (values outside are clamped; u or t exactly 0 or 1 are fine).
// The result lies in [0, 1]. Type 2 ignores t and draws from the engine's
// generator on the grid CopulaGrid (copula_tables.h); a code outside 0..12 gives 0.
// Guards: r = 0 gives t for the Frank, band, Clayton and Gumbel types; a Frank
// theta above 37.35 gives u, below -37.35 gives 1 - u; a Gumbel parameter of
// +-1 gives t, one strictly between -1 and 1 gives 0.
double ConditionalInverse(int type, double p, double u, double t);

// The same with the rank correlation r in place of p (the parameter map is
// applied on every call).
double ConditionalInverseFromRank(int type, double r, double u, double t);

// The value ConditionalCdf returns for a floating-point fault, and the value
// that the run uses in its place (the one the fault message announces).
constexpr double kCopulaFault = -20000.0;
constexpr double kCopulaFaultValue = 0.10101010101;

// h(v | u) for copula type with parameter p (from CopulaParameter); for the
// normal type h = NormalCdf((z(v) - rho z(u)) / sqrt(1 - rho^2)). Type 2 and
// codes outside 0..12 give 0. The elliptical h gives 0.9999 above its band and
// 0.0001 below it. When the arithmetic meets a division by zero, an
// overflow or an invalid operation (for example the elliptical copula at u = 0
// or |rho| = 1, or NaN arguments) the result is kCopulaFault and the fault is
// recorded (CopulaFaultPending, CopulaFaultMessage), for example
// "Zero divide detected in function FF_ell(r, x1, x2), assigned value is    0.10".
double ConditionalCdf(int type, double p, double u, double v);

// The fault recorded by the last ConditionalCdf that returned kCopulaFault
// (at most 255 characters), until ClearCopulaFault. The caller hands it on to
// the formula evaluator's error message.
bool CopulaFaultPending();
const char* CopulaFaultMessage();
void ClearCopulaFault();

// ---- the copulas one by one (arguments as above; p is the type's parameter) ----

double FrankH(double v, double u, double theta);
double FrankHInverse(double t, double u, double theta);
double BandH(double v, double u, double w);
double BandHInverse(double t, double u, double w);
double EllipticalH(double v, double u, double rho);
double EllipticalHInverse(double t, double u, double rho);
double NormalH(double v, double u, double rho);
double NormalHInverse(double t, double u, double rho);
// Base Clayton (q > 0) and base Gumbel (q > 1), before rotation.
double ClaytonH(double v, double u, double q);
double ClaytonHInverse(double t, double u, double q);
double GumbelH(double v, double u, double q);
double GumbelHInverse(double t, double u, double q);
// The base Gumbel inverse by the bracketed root finder on [0, 1] (tolerance
// 1e-6; returns t when the search fails). GumbelHInverse solves the same
// equation in a reduced form to full precision (also for t or u within a few
// units of the last place of 1) and is many times faster.
double GumbelHInverseBracketed(double t, double u, double q);
// The rotated variants 5..12 with a signed parameter, guards included.
double ClaytonVariantH(int type, double v, double u, double p);
double ClaytonVariantHInverse(int type, double t, double u, double p);
double GumbelVariantH(int type, double v, double u, double p);
double GumbelVariantHInverse(int type, double t, double u, double p);

// ---- numeric helpers -------------------------------------------------------------

// Complementary error function (Chebyshev fit, relative error below 1.2e-7).
double Erfc(double x);
double NormalCdf(double x, double mean, double sd);
// Inverse normal distribution function (rational fit, relative error below
// 1.2e-9); p = 0 gives -3.4e38 and p = 1 gives +3.4e38 whatever mean and sd are.
double NormalQuantile(double p, double mean, double sd);
// The Gumbel copula C(u, v) and its density c(u, v) (0 for q <= 1).
double GumbelCopulaCdf(double u, double v, double q);
double GumbelDensity(double v, double u, double q);

// Bracketed Newton root finder: a root of f in [x1, x2] to within xacc, with
// at most 100 passes. f and df receive x and params. Fails (returns false)
// when f(x1) and f(x2) do not have strictly opposite signs.
using TRootFunction = double (*)(double x, const double* params);
bool FindRootSafe(TRootFunction f, TRootFunction df, const double* params, double x1, double x2,
                  double xacc, double& root);

}  // namespace tesmira
