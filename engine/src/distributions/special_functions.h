// Special functions behind the distribution types, their conversions and the
// formula functions "gam" and "lgam". All work in extended precision (long
// double, the x87 80-bit format on the supported platforms), keep no state and
// never write to a console. Every iterative routine has an iteration cap, so a
// NaN argument ends with a NaN or a failure status instead of a hang.
#pragma once

#include <cstddef>
#include <functional>

namespace tesmira {

// x^p. x = 0 gives 0 (also for p <= 0); for x < 0 a non-integral p gives 0 and
// an integral p gives the signed power.
long double Power(long double x, long double p);

// z with Phi(z) = u, 0 < u < 1 (Odeh and Evans' rational approximation,
// absolute error below 1.5e-8 for 1e-20 < u < 1 - 1e-20).
long double InverseNormal(long double u);
// The same approximation evaluated in double, for normal scores drawn per
// sample: within a relative 1e-15 of its exact value for 2^-33 < u < 1 - 2^-33.
double InverseNormalDouble(double u);
// z[i] = InverseNormalDouble(u[i]) for i < n, the same values computed
// several at a time (z may be u).
void InverseNormalDouble(const double* u, double* z, std::size_t n);
// The standard normal distribution function, erfc(-x / sqrt 2) / 2 from the
// C library: accurate to 1e-15 absolute over the whole line (also far in the
// tails, where the plain series x + x^3/3 + x^5/15 + ... times the density
// loses its digits and overflows), clamped to [0, 1], 0.5 for NaN.
double NormalCdfSeries(double x);
// p[i] = Phi(x[i]) = erfc(-x[i] / sqrt 2) / 2 for i < n, clamped to [0, 1]
// and 0.5 for NaN, several at a time (p may be x), whatever the batch: the
// value of the C library's erfc (Sun's method) to the last bit for
// |x| < 1.77 and within 3 ulp beyond, where the exponentials are our own.
void NormalCdfDouble(const double* x, double* p, std::size_t n);

// Gamma(x) for x > 0 (Cody's approximation); -777 for x <= 0.
long double GammaFunction(long double x);

// ln Gamma(x) for x > 0 (Cody and Hillstrom); 0 for x <= 0.
long double LogGamma(long double x);

// Regularised lower incomplete gamma function P(a, x), a > 0, x >= 0.
long double IncompleteGamma(long double a, long double x);

// The p-quantile of the chi-square distribution with nu degrees of freedom
// (Best and Roberts); 0 for nu <= 0, p <= 2e-6 or p >= 0.999998. The result
// is within a relative 5e-6 of the exact quantile.
long double ChiSquareQuantile(long double nu, long double p);

// Regularised incomplete beta function I_x(alpha, beta); 0 for x <= 0, 1 for x >= 1.
long double IncompleteBeta(long double alpha, long double beta, long double x);
// The continued fraction of the incomplete beta function (its even and odd
// recurrences, renormalised at every step).
long double BetaContinuedFraction(long double alpha, long double beta, long double x);
// The density of the Beta(alpha, beta) distribution at 0 < x < 1.
long double BetaDensity(long double alpha, long double beta, long double x);
// The u-quantile of the Beta(alpha, beta) distribution, in [0, 1].
long double BetaQuantile(long double alpha, long double beta, long double u);
// Starting value of BetaQuantile for alpha > 1 and beta > 1.
long double BetaQuantileStart(long double alpha, long double beta, long double u);

// Safeguarded Newton root finder (Newton-Raphson with bisection).
enum class RootStatus {
  Converged,
  NotBracketed,  // f(x1) and f(x2) do not have opposite signs
  NotConverged   // no convergence within 100 iterations
};

struct RootResult {
  long double root = 0;
  RootStatus status = RootStatus::Converged;
};

// f(x, value, derivative)
using RootFunction = std::function<void(long double x, long double& f, long double& df)>;

RootResult RTSAFE(long double accuracy, long double x1, long double x2, const RootFunction& f);

}  // namespace tesmira
