#include "distributions/distribution_operations.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "distributions/distribution_texts.h"
#include "distributions/distribution_types.h"
#include "distributions/special_functions.h"
#include "model/short_string.h"
#include "text/value_text.h"

namespace tesmira {

namespace {

// Work array of a conversion: entries 1..20 (0 unused); kMarker marks an empty entry.
constexpr long double kMarker = static_cast<long double>(MissingValue);
using WorkArray = std::array<long double, ValueSlots + 1>;

// The distribution part and the int16 field after it, worked on as a copy.
struct DistributionCopy {
  TDistribution d;
  int16_t samplePosition;
};

bool IsMissing(long double v) { return std::fabs(v - kMarker) < 1e-9L; }

bool IsFileType(int type) {
  return type == DistFile100 || type == DistSampleFile || type == DistFile1000 ||
         type == DistFile10000;
}

double GetParam(const TDistribution& d, int k) {
  double v;
  std::memcpy(&v, reinterpret_cast<const unsigned char*>(&d) + 34 + 8 * (k - 1), sizeof v);
  return v;
}

void SetParam(TDistribution& d, int k, long double value) {
  double v = static_cast<double>(value);
  std::memcpy(reinterpret_cast<unsigned char*>(&d) + 34 + 8 * (k - 1), &v, sizeof v);
}

// Packed members are reached through their addresses only (never bound to a reference).
float GetFloat(const void* f) {
  float v;
  std::memcpy(&v, f, sizeof v);
  return v;
}

void SetFloat(void* f, float v) { std::memcpy(f, &v, sizeof v); }

int16_t DiscreteCount(const TDistribution& d) {
  int16_t n;
  std::memcpy(&n, &d.u.discrete.count, sizeof n);
  return n;
}

void SetDiscreteCount(TDistribution& d, int16_t n) {
  std::memcpy(&d.u.discrete.count, &n, sizeof n);
}

//                                 type 0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15
constexpr int kEditable[16] = {0, 1, 3, 3, 3, 3, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1};
constexpr int kShown[16] = {1, 1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 1, 1, 2, 1, 1};
constexpr int kParamCount[16] = {0, 1, 2, 2, 2, 2, 2, 3, 3, 4, 3, 1, 1, 20, 1, 1};

// The z95 constant written into the Normal quantiles and LogNormal moments.
constexpr long double kZ95Short = 1.6449L;

const std::string_view kFaultTreeBounds = "  Check: lower bound >= 0 and upper bound <= 1 ";
const std::string_view kMomentsMessage = "    Make Mean > 0  & Standard Deviation > 0 ";

std::string TypeMessage(int type) {
  switch (type) {
    case 1: return "              Make Constant > 0 ";
    case 2: return "                    Make b > a";
    case 3: return "                  Make b > a > 0";
    case 4: return std::string(20, ' ') + "Make \xE5 > 0";
    case 5: return "       Make MEDIAN > 0 & ERRORFACTOR > 1";
    case 6: return std::string(14, ' ') + "Make \xE7 > 0 & b >= 0";
    case 7: return std::string(12, ' ') + "Make \xE0 > 0, \xE1 > 0 & b >= 0";
    case 8: return std::string(12, ' ') + "Make \xE1 > 0, n > 0 & b >= 0";
    case 9: return std::string(11, ' ') + "Make \xE0 > 0 , \xE1 > 0 & b > a";
    case 10: return "            Make a <= m < b or a < m <= b ";
    case 13: return " Make sure V values are increasing and sum of P values less than 1";
    default: return {};
  }
}

void SetText(TExtendedRandomVariable* rv, int k, std::string_view text) {
  SetShortString(rv->text[k - 1], 80, text);
}

// A value as the distribution files write it: 23 characters, a blank or a
// minus sign, d.dddddddddddddd, "E", the exponent's sign and four digits.
std::string ValueText(long double v) {
  char buf[64];
  std::size_t n = FormatScientific(static_cast<double>(v), 15, 4, buf);
  return std::string(buf, n);
}

// ---- parameters -> values of a representation --------------------------------

// The parameters as the first representation shows them.
int ParameterValues(const TDistribution& d, WorkArray& w) {
  long double p1 = GetParam(d, 1), p2 = GetParam(d, 2), p3 = GetParam(d, 3), p4 = GetParam(d, 4);
  switch (d.distType) {
    case DistUniform:
    case DistLogUniform:
    case DistNormal:
    case DistLogNormal:
      w[1] = p1;
      w[2] = p2;
      return 2;
    case DistExponential:
      w[1] = p1;
      w[2] = p4;
      return 2;
    case DistGamma:
      w[1] = p1;
      w[2] = p2;
      w[3] = p4;
      return 3;
    case DistWeibull:
      w[1] = p2;
      w[2] = p3;
      w[3] = p4;
      return 3;
    case DistBeta:
      w[1] = p1;
      w[2] = p2;
      w[3] = p3;
      w[4] = p4;
      return 4;
    case DistTriangular:
      w[1] = p3;
      w[2] = p2;
      w[3] = p4;
      return 3;
  }
  return 0;
}

// The 5 %, 50 % and 95 % quantiles.
int QuantileValues(const TDistribution& d, WorkArray& w) {
  long double p1 = GetParam(d, 1), p2 = GetParam(d, 2);
  if (d.distType == DistUniform) {
    w[1] = p1 + 0.05L * (p2 - p1);
    w[2] = p1 + 0.5L * (p2 - p1);
    w[3] = p1 + 0.95L * (p2 - p1);
  } else if (d.distType == DistNormal) {
    w[1] = p1 - kZ95Short * p2;
    w[2] = p1;
    w[3] = p1 + kZ95Short * p2;
  } else {
    w[1] = DistributionQuantile(d, 0.05L);
    w[2] = DistributionQuantile(d, 0.5L);
    w[3] = DistributionQuantile(d, 0.95L);
  }
  return 3;
}

// The mean and the standard deviation; none where a parameter makes them undefined.
int MomentValues(const TDistribution& d, WorkArray& w) {
  long double p1 = GetParam(d, 1), p2 = GetParam(d, 2), p3 = GetParam(d, 3), p4 = GetParam(d, 4);
  switch (d.distType) {
    case DistUniform:
      w[1] = (p1 + p2) / 2;
      w[2] = std::sqrt((p2 - p1) * (p2 - p1) / 12);
      return 2;
    case DistLogUniform: {
      long double l = std::log(p2) - std::log(p1);
      long double m = (p2 - p1) / l;
      w[1] = m;
      w[2] = std::sqrt((p2 * p2 - p1 * p1) / (2 * l) - m * m);
      return 2;
    }
    case DistNormal:
      w[1] = p1;
      w[2] = p2;
      return 2;
    case DistLogNormal: {
      long double s = std::log(p2) / kZ95Short;
      long double mean = std::exp(std::log(p1) + s * s / 2);
      w[1] = mean;
      w[2] = std::sqrt((std::exp(s * s) - 1) * mean * mean);
      return 2;
    }
    case DistExponential:
      if (p1 == 0) return 0;
      w[1] = 1 / p1 + p4;
      w[2] = 1 / p1;
      return 2;
    case DistGamma:
      if (p2 == 0) return 0;
      w[1] = p1 / p2 + p4;
      w[2] = std::sqrt(p1) / p2;
      return 2;
    case DistWeibull: {
      if (p2 == 0) return 0;
      long double k = 1 / p2;
      long double g1 = GammaFunction(1 + k);
      w[1] = p3 * g1 + p4;
      w[2] = p3 * std::sqrt(GammaFunction(1 + 2 * k) - g1 * g1);
      return 2;
    }
    case DistBeta: {
      long double s = p1 + p2;
      if (s == 0) return 0;
      w[1] = p3 + p1 * (p4 - p3) / s;
      w[2] = (p4 - p3) * std::sqrt(p1 * p2 / (s * s * (s + 1)));
      return 2;
    }
    case DistTriangular: {
      long double a = p3, m = p2, b = p4;
      w[1] = (a + m + b) / 3;
      w[2] = std::sqrt((a * a + m * m + b * b - a * m - a * b - m * b) / 18);
      return 2;
    }
  }
  return 0;
}

// The values of representation r (1 parameters, 2 quantiles, 3 moments; the
// values or the probabilities of a Discrete); returns their count.
int DistributionValues(const TDistribution& d, int r, WorkArray& w) {
  int type = d.distType;
  if (type == DistConstant) {
    w[1] = GetParam(d, 1);
    return 1;
  }
  if (type == DistDiscrete) {
    if (r != 1 && r != 2) return 0;
    for (int i = 0; i < DiscretePairs; ++i) {
      float v = GetFloat(r == 1 ? static_cast<const void*>(&d.u.discrete.pairs[i].value)
                                : static_cast<const void*>(&d.u.discrete.pairs[i].probability));
      w[i + 1] = IsMissing(v) ? kMarker : static_cast<long double>(v);
    }
    return DiscretePairs;
  }
  if (type < DistUniform || type > DistTriangular) return 0;
  switch (r) {
    case 1: return ParameterValues(d, w);
    case 2: return QuantileValues(d, w);
    case 3: return MomentValues(d, w);
    default: return 0;
  }
}

// ---- values of a representation -> parameters ------------------------------------

// a of a LogUniform with mean m and standard deviation s; false when no root was found.
bool LogUniformFromMoments(long double m, long double s, long double& a, long double& b) {
  long double sum = 2 * (m * m + s * s) / m;  // a + b
  RootResult root =
      RTSAFE(1e-8L, m / 100000, m, [m, sum](long double x, long double& f, long double& df) {
        f = m * std::log((sum - x) / x) + 2 * x - sum;
        df = 2 - sum * m / (x * (sum - x));
      });
  if (root.status != RootStatus::Converged) return false;
  a = root.root;
  b = sum - a;
  return true;
}

void DiscreteFromValues(TDistribution& d, int r, const WorkArray& w) {
  const float marker = static_cast<float>(MissingValue);
  if (r == 1) {
    int16_t count = 0;
    for (int i = 1; i <= DiscretePairs; ++i) {
      bool empty = IsMissing(w[i]);
      SetFloat(&d.u.discrete.pairs[i - 1].value, empty ? marker : static_cast<float>(w[i]));
      if (empty) {
        // The rows after the first empty one are empty too (the check allows
        // no value after a gap): values of a longer earlier list must not
        // stay behind, where they would show and fail the next check.
        for (int j = i + 1; j <= DiscretePairs; ++j)
          SetFloat(&d.u.discrete.pairs[j - 1].value, marker);
        break;
      }
      if (count == 0) count = static_cast<int16_t>(i);
      if (i > 1 && w[i - 1] < w[i]) count = static_cast<int16_t>(i);
    }
    SetDiscreteCount(d, count);
    return;
  }
  int count = DiscreteCount(d);
  long double sum = 0;
  for (int i = 1; i <= DiscretePairs; ++i) {
    bool empty = IsMissing(w[i]);
    float p = empty ? marker : static_cast<float>(w[i]);
    if (i == count) {
      if (r == 2) p = sum > 1 ? 0.0f : static_cast<float>(1 - sum);
    } else if (i > count) {
      p = marker;
    } else if (!empty) {
      sum += p;
    }
    SetFloat(&d.u.discrete.pairs[i - 1].probability, p);
  }
}

// Uniform and LogUniform bounds from representation r: 2 parameters, 0 for
// no such representation, -1 when the moments give no LogUniform.
int UniformFromValues(TDistribution& d, int r, const WorkArray& w) {
  const bool logarithmic = d.distType == DistLogUniform;
  long double a, b;
  if (r == 1) {
    a = w[1];
    b = w[2];
  } else if (r == 2) {
    long double q5 = w[1], q95 = w[3];
    if (logarithmic) {
      q5 = std::log(q5);
      q95 = std::log(q95);
    }
    b = (0.95L * q95 - 0.05L * q5) / 0.9L;
    a = (q5 - 0.05L * b) / 0.95L;
    if (logarithmic) {
      a = std::exp(a);
      b = std::exp(b);
    }
  } else if (r == 3) {
    if (!logarithmic) {
      a = w[1] - std::sqrt(3.0L) * w[2];
      b = w[1] + std::sqrt(3.0L) * w[2];
    } else if (!LogUniformFromMoments(w[1], w[2], a, b)) {
      return -1;
    }
  } else {
    return 0;
  }
  SetParam(d, 1, a);
  SetParam(d, 2, b);
  return 2;
}

int NormalFromValues(TDistribution& d, int r, const WorkArray& w) {
  long double mu, sigma;
  if (r == 1 || r == 3) {
    mu = w[1];
    sigma = w[2];
  } else if (r == 2) {
    mu = (w[1] + w[3]) / 2;
    sigma = (w[3] - mu) / kZ95Short;
  } else {
    return 0;
  }
  SetParam(d, 1, mu);
  SetParam(d, 2, sigma);
  return 2;
}

// The median and the error factor from the parameters, the quantiles or the moments.
int LogNormalFromValues(TDistribution& d, int r, const WorkArray& w) {
  long double median, ef;
  long double z95 = InverseNormal(0.95L);
  if (r == 1) {
    median = w[1];
    ef = w[2];
  } else if (r == 2) {
    long double wv = std::log(w[3] / w[1]) / (2 * z95);
    median = w[1] * std::exp(z95 * wv);
    ef = std::exp(z95 * wv);
  } else if (r == 3) {
    long double wv = std::sqrt(std::log((w[2] / w[1]) * (w[2] / w[1]) + 1));
    median = w[1] * std::exp(-wv * wv / 2);
    ef = std::exp(z95 * wv);
  } else {
    return 0;
  }
  SetParam(d, 1, median);
  SetParam(d, 2, ef);
  return 2;
}

// Sets the parameters from the values of representation r; returns the number
// of parameters, 0 when the representation gives none, -1 when the conversion
// found no solution.
int DistributionFromValues(TDistribution& d, int r, const WorkArray& w) {
  long double x1 = w[1], x2 = w[2], x3 = w[3], x4 = w[4];
  switch (d.distType) {
    case DistConstant: SetParam(d, 1, x1); return 1;
    case DistUniform:
    case DistLogUniform: return UniformFromValues(d, r, w);
    case DistNormal: return NormalFromValues(d, r, w);
    case DistLogNormal: return LogNormalFromValues(d, r, w);
    case DistExponential:
      SetParam(d, 1, x1);
      SetParam(d, 4, x2);
      return 2;
    case DistGamma:
      SetParam(d, 1, x1);
      SetParam(d, 2, x2);
      SetParam(d, 4, x3);
      return 3;
    case DistWeibull:
      SetParam(d, 2, x1);
      SetParam(d, 3, x2);
      SetParam(d, 4, x3);
      return 3;
    case DistBeta:
      SetParam(d, 1, x1);
      SetParam(d, 2, x2);
      SetParam(d, 3, x3);
      SetParam(d, 4, x4);
      return 4;
    case DistTriangular:
      SetParam(d, 3, x1);
      SetParam(d, 2, x2);
      SetParam(d, 4, x3);
      return 3;
    case DistDiscrete: DiscreteFromValues(d, r, w); return DiscretePairs;
    default: return 0;
  }
}

// ---- checks ------------------------------------------------------------------

bool ParametersValid(int type, const WorkArray& w, int modelType) {
  long double x1 = w[1], x2 = w[2], x3 = w[3], x4 = w[4];
  switch (type) {
    case DistConstant: return modelType != ModelTypeFaultTree || x1 > 0;
    case DistUniform: return x2 > x1;
    case DistLogUniform: return x1 > 0 && x2 > x1;
    case DistNormal: return x2 > 0;
    case DistLogNormal: return x1 > 0 && x2 > 1;
    case DistExponential: return x1 > 0 && x2 >= 0;
    case DistGamma:
    case DistWeibull: return x1 > 0 && x2 > 0 && x3 >= 0;
    case DistBeta: return x1 > 0 && x2 > 0 && x3 < x4;
    case DistTriangular: return (x1 <= x2 && x2 < x3) || (x1 < x2 && x2 <= x3);
    default: return true;
  }
}

bool DiscreteValuesValid(const WorkArray& w) {
  if (IsMissing(w[1])) return false;
  bool emptySeen = false;
  float previous = static_cast<float>(w[1]);
  if (std::isnan(previous)) return false;
  for (int i = 2; i <= DiscretePairs; ++i) {
    if (IsMissing(w[i])) {
      emptySeen = true;
      continue;
    }
    if (emptySeen) return false;
    float v = static_cast<float>(w[i]);
    if (!(v > previous)) return false;
    previous = v;
  }
  return true;
}

constexpr float kProbabilitySumSlack = 2e-6f;

bool DiscreteProbabilitiesValid(const WorkArray& w, int count) {
  if (count > DiscretePairs) count = DiscretePairs;
  float sum = 0;
  for (int i = 1; i <= DiscretePairs; ++i) {
    if (IsMissing(w[i])) continue;
    float p = static_cast<float>(w[i]);
    if (!(p >= 0 && p <= 1)) return false;
    if (i <= count) {
      sum += p;
      // The single-precision sum of up to 20 probabilities carries rounding
      // of about 1e-6: ten times 0.1 adds up to 1.0000001 and is a whole
      // distribution, not one above 1.
      if (sum > 1 + kProbabilitySumSlack) return false;
    }
  }
  return true;
}

// The number of values representation r of the type takes (their emptiness is checked).
int ValuesNeeded(int type, int r) {
  if (type == DistDiscrete) return 0;
  if (r == 1) return kParamCount[type];
  if (r == 2) return 3;
  if (r == 3) return 2;
  return 0;
}

// Checks the work array as representation r of copy.d; returns 1 or -1 and
// sets message (also to the bounds warning of FAULT TREE models with result 1).
int CheckDistributionValues(const TDistribution& d, int r, const WorkArray& w, int modelType,
                            bool boundsWarning, std::string& message) {
  int type = d.distType;
  if (IsFileType(type)) return 1;
  int needed = ValuesNeeded(type, r);
  for (int i = 1; i <= needed; ++i) {
    if (IsMissing(w[i]) || std::isnan(w[i])) {
      message = r == 3 ? std::string(kMomentsMessage) : TypeMessage(type);
      return -1;
    }
  }
  bool valid = true;
  if (r == 1) {
    valid = type == DistDiscrete ? DiscreteValuesValid(w) : ParametersValid(type, w, modelType);
    if (!valid) message = TypeMessage(type);
  } else if (r == 2) {
    valid = type == DistDiscrete ? DiscreteProbabilitiesValid(w, DiscreteCount(d))
                                 : (w[1] < w[2] && w[2] < w[3]);
    if (!valid) message = TypeMessage(type);
  } else if (r == 3) {
    if (modelType == ModelTypeFaultTree) valid = w[1] > 0 && w[2] > 0;
    if (!valid) message = kMomentsMessage;
  }
  if (!valid) return -1;
  if (boundsWarning && modelType == ModelTypeFaultTree) {
    TDistribution probe = d;
    if (DistributionFromValues(probe, r, w) > 0) {
      long double q1 = DistributionQuantile(probe, 0.01L);
      long double q99 = DistributionQuantile(probe, 0.99L);
      if (q1 < 0 || q99 > 1) message = kFaultTreeBounds;
    }
  }
  return 1;
}

// ---- the operations ----------------------------------------------------------

void ZeroParameterArea(TDistribution& d) { std::memset(d.u.raw, 0, sizeof d.u.raw); }

int SetDistributionDefaults(DistributionCopy& c, WorkArray& w, int modelType) {
  TDistribution& d = c.d;
  int type = d.distType;
  ZeroParameterArea(d);
  switch (type) {
    case DistConstant: SetParam(d, 1, 1); break;
    case DistUniform:
    case DistNormal:
      SetParam(d, 1, 0);
      SetParam(d, 2, 1);
      break;
    case DistLogUniform:
      SetParam(d, 1, 0.0001L);
      SetParam(d, 2, 1);
      break;
    case DistLogNormal:
      SetParam(d, 1, 1);
      SetParam(d, 2, modelType == ModelTypeFaultTree ? 3 : 2);
      break;
    case DistExponential:
      SetParam(d, 1, 100);
      SetParam(d, 4, 0);
      break;
    case DistGamma:
      SetParam(d, 1, 10);
      SetParam(d, 2, 0.001L);
      SetParam(d, 4, 0);
      break;
    case DistWeibull:
      SetParam(d, 2, 1);
      SetParam(d, 3, 1);
      SetParam(d, 4, 0);
      break;
    case DistBeta:
      SetParam(d, 1, 2);
      SetParam(d, 2, 2);
      SetParam(d, 3, 0);
      SetParam(d, 4, 1);
      break;
    case DistTriangular:
      SetParam(d, 3, 0);
      SetParam(d, 2, 0.5L);
      SetParam(d, 4, 1);
      break;
    case DistSampleFile: c.samplePosition = 0; break;
    case DistDiscrete: {
      const float marker = static_cast<float>(MissingValue);
      for (int i = 0; i < DiscretePairs; ++i) {
        SetFloat(&d.u.discrete.pairs[i].value, marker);
        SetFloat(&d.u.discrete.pairs[i].probability, marker);
      }
      SetDiscreteCount(d, 1);
      break;
    }
    default: break;  // the file types: an empty file name
  }
  if (!IsFileType(type)) DistributionValues(d, 1, w);
  return kParamCount[type];
}

// The stored file name of a file type without its folder ('\' or '/').
std::string FileNameWithoutFolder(const TDistribution& d) {
  std::string_view name = d.distType == DistSampleFile ? ShortStringView(d.u.sample.sampleFile)
                                                       : ShortStringView(d.u.fileName);
  std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  return std::string(name);
}

const char* const kRepresentationTitles[3] = {" Parameters           ", " Main quantiles       ",
                                              " Moments              "};

// Row labels of representation r (four slots; an empty label leaves its text as it was).
void RowLabels(int type, int r, std::array<std::string, 4>& labels) {
  if (r == 2) {
    labels = {" 5%q", "50%q", "95%q", ""};
    return;
  }
  if (r == 3) {
    labels = {"Mean", "SDev", "", ""};
    return;
  }
  if (r != 1) return;
  const std::string a = "  a ", b = "  b ", m = "  m ", n = "  n ";
  const std::string mu = "  \xE6 ", sigma = "  \xE5 ", tau = "  \xE7 ", alpha = "  \xE0 ",
                    beta = "  \xE1 ";
  switch (type) {
    case DistConstant: labels = {"CNST", "", "", ""}; break;
    case DistUniform:
    case DistLogUniform: labels = {a, b, "", ""}; break;
    case DistNormal: labels = {mu, sigma, "", ""}; break;
    case DistLogNormal: labels = {"MEDI", "ERFC", "", ""}; break;
    case DistExponential: labels = {tau, b, "", ""}; break;
    case DistGamma: labels = {alpha, beta, b, ""}; break;
    case DistWeibull: labels = {beta, n, b, ""}; break;
    case DistBeta: labels = {alpha, beta, a, b}; break;
    case DistTriangular: labels = {a, m, b, ""}; break;
    default: labels = {"Filename", "", "", ""}; break;
  }
}

// Whether the column selector means something for the operation and type.
bool ValidSelector(int32_t operation, int type, int32_t selector, int magnitude) {
  const bool discrete = type == DistDiscrete;
  int limit = operation == EnterDistributionValuesOp ? kEditable[type] : kShown[type];
  bool valid = (discrete && selector > 2) || (magnitude >= 1 && magnitude <= limit);
  // The Discrete columns are the values (1) and the probabilities (2; -2 entered
  // without completion): other selectors have no meaning for its values.
  if (discrete && operation == DistributionValueTextsOp && selector != 1 && selector != 2)
    valid = false;
  // A negative selector marks a value entered by leaving one cell: for the
  // value column (-1) that is the same as 1.
  if (discrete && operation == EnterDistributionValuesOp && selector != 1 && selector != -1 &&
      selector != 2 && selector != -2)
    valid = false;
  return valid;
}

// The variable's value slots as work values (a constant has one).
WorkArray WorkValues(const TExtendedRandomVariable& rv, int type) {
  WorkArray w;
  w.fill(kMarker);
  for (int i = 1; i <= (type == DistConstant ? 1 : ValueSlots); ++i) {
    double v;
    std::memcpy(&v, &rv.values[i - 1], sizeof v);
    w[i] = IsMissing(v) ? kMarker : static_cast<long double>(v);
  }
  return w;
}

// Entered values of column |selector| made into the distribution's parameters;
// parameters that a conversion produced must pass the parameter check before
// they are stored.
int EnterValues(DistributionCopy& copy, const WorkArray& w, int type, int32_t selector,
                int magnitude, int32_t modelType, std::string& message) {
  const bool discrete = type == DistDiscrete;
  int r = (discrete && selector == -2) ? -2 : magnitude;
  if (CheckDistributionValues(copy.d, magnitude, w, modelType, true, message) < 0) return -1;
  TDistribution converted = copy.d;
  int result = DistributionFromValues(converted, r, w);
  if (result < 0) {
    message = TypeMessage(type);
    return result;
  }
  if (magnitude != 1 && !discrete) {
    WorkArray params;
    params.fill(kMarker);
    DistributionValues(converted, 1, params);
    std::string ignored;
    if (CheckDistributionValues(converted, 1, params, modelType, false, ignored) < 0) {
      message = TypeMessage(type);
      return -1;
    }
  }
  copy.d = converted;
  return result;
}

// The row labels of a column into the variable's texts; their count.
int WriteValueLabels(TExtendedRandomVariable* rv, int type, int32_t selector, int magnitude) {
  if (type == DistDiscrete) {
    for (int i = 1; i <= DiscretePairs; ++i) {
      std::string number = std::to_string(i);
      SetText(rv, i, selector == 1 ? "Value" + number : selector == 2 ? "P" + number : number);
    }
    return DiscretePairs;
  }
  int result = 0;
  std::array<std::string, 4> labels{"", "", "", ""};
  RowLabels(type, magnitude, labels);
  for (int i = 0; i < 4; ++i) {
    if (labels[i].empty()) continue;
    SetText(rv, i + 1, labels[i]);
    ++result;
  }
  for (int i = 5; i <= TextLines; ++i) SetText(rv, i, "");
  return result;
}

// A successful change of the distribution stored back into the variable,
// with the first `count` work values when writeValues is set.
void StoreDistribution(TExtendedRandomVariable* rv, const DistributionCopy& copy,
                       const WorkArray& w, int count, bool writeValues) {
  if (writeValues) {
    for (int i = 1; i <= count && i <= ValueSlots; ++i) {
      double v = IsMissing(w[i]) ? MissingValue : static_cast<double>(w[i]);
      std::memcpy(&rv->values[i - 1], &v, sizeof v);
    }
  }
  std::memcpy(&rv->distribution, &copy.d, sizeof copy.d);
  std::memcpy(&rv->samplePosition, &copy.samplePosition, sizeof copy.samplePosition);
}

}  // namespace

int32_t ProcessDistribution(TExtendedRandomVariable* rv, int32_t operation, int32_t modelType) {
  if (rv == nullptr) return 0;
  SetText(rv, 1, "");
  int type = rv->distribution.distType;
  if (type < 1 || type > 15) {
    SetText(rv, 1, "Invalid distribution type");
    return -1;
  }
  int32_t selector;
  std::memcpy(&selector, &rv->representation, sizeof selector);
  // |selector| without overflow for the most negative value.
  int magnitude = selector < 0 ? (selector < -1000 ? 1000 : -selector) : selector;
  bool discrete = type == DistDiscrete;

  if ((operation == DistributionValueTextsOp || operation == EnterDistributionValuesOp ||
       operation == ValueLabelsOp) &&
      !ValidSelector(operation, type, selector, magnitude)) {
    SetText(rv, 1,
            operation == EnterDistributionValuesOp ? "Invalid edit column selector"
                                                   : "Invalid column selector");
    return -1;
  }

  bool fileType = IsFileType(type);
  WorkArray w;
  if (!fileType && operation != DistributionTitleOp && operation != DistributionPictureOp)
    w = WorkValues(*rv, type);
  else
    w.fill(kMarker);

  DistributionCopy copy;
  std::memcpy(&copy.d, &rv->distribution, sizeof copy.d);
  std::memcpy(&copy.samplePosition, &rv->samplePosition, sizeof copy.samplePosition);

  std::string message;
  int result = 0;
  bool writeValues = !fileType;  // the file types keep their value slots (no work values)
  switch (operation) {
    case SetDistributionDefaultsOp: result = SetDistributionDefaults(copy, w, modelType); break;
    case CheckDistributionOp:
      if (fileType) {
        result = 1;
        break;
      }
      w.fill(kMarker);
      result = DistributionValues(copy.d, 1, w);
      if (CheckDistributionValues(copy.d, 1, w, modelType, true, message) < 0) result = -1;
      break;
    case DistributionValueTextsOp:
      if (fileType) {
        w[1] = 0;
        SetText(rv, 1, FileNameWithoutFolder(copy.d));
        writeValues = true;
        result = 1;
        break;
      }
      w.fill(kMarker);
      result = DistributionValues(copy.d, selector, w);
      for (int i = 1; i <= result; ++i)
        SetText(rv, i, IsMissing(w[i]) ? std::string(" ") : ValueText(w[i]));
      break;
    case EnterDistributionValuesOp:
      result = fileType ? 1 : EnterValues(copy, w, type, selector, magnitude, modelType, message);
      break;
    case DistributionTitleOp:
      SetText(rv, 1, DistributionTitle(type));
      result = 1;
      break;
    case DistributionPictureOp: {
      const char* const* lines = nullptr;
      result = DistributionPictureLines(type, &lines);
      for (int i = 0; i < result; ++i) SetText(rv, i + 1, lines[i]);
      break;
    }
    case RepresentationTitlesOp:
      result = kShown[type];
      for (int i = 1; i <= result; ++i)
        SetText(rv, i, discrete ? " " : kRepresentationTitles[i - 1]);
      break;
    case ValueLabelsOp: result = WriteValueLabels(rv, type, selector, magnitude); break;
    case EditableRepresentationsOp: result = kEditable[type]; break;
    default: result = 0; break;
  }

  if (!message.empty()) SetText(rv, 1, message);
  if (operation >= SetDistributionDefaultsOp && operation <= EnterDistributionValuesOp &&
      result > 0)
    StoreDistribution(rv, copy, w, result, writeValues);
  return result;
}

}  // namespace tesmira
