#include "distributions/distribution_types.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "distributions/special_functions.h"
#include "model/store.h"

namespace tesmira {

namespace {

double Param(const TDistribution& d, int k) {
  double v;
  std::memcpy(&v, reinterpret_cast<const unsigned char*>(&d) + 34 + 8 * (k - 1), sizeof v);
  return v;
}

bool IsFileType(int type) {
  return type == DistFile100 || type == DistFile1000 || type == DistFile10000;
}

long double DiscreteQuantile(const TDistribution& d, long double u) {
  int k = d.u.discrete.count;
  if (k < 1) return 0;
  if (k > DiscretePairs) k = DiscretePairs;
  long double c = 0;
  for (int j = 0; j < k; ++j) {
    float p, v;
    std::memcpy(&p, &d.u.discrete.pairs[j].probability, sizeof p);
    std::memcpy(&v, &d.u.discrete.pairs[j].value, sizeof v);
    c += std::fabs(static_cast<long double>(p));
    if (u < c + 0.000001L) return v;
  }
  float last;
  std::memcpy(&last, &d.u.discrete.pairs[k - 1].value, sizeof last);
  return last;
}

}  // namespace

// The resolution is the model's (reset to 100 with every new model).
int TableResolution() {
  int r = Resolution();
  return r >= 1 ? r : 100;
}

void SetTableResolution(int resolution) {
  if (resolution == 100 || resolution == 1000 || resolution == 10000) SetResolution(resolution);
}

int QuantileTableSize(const TDistribution& d, int resolution) {
  switch (d.distType) {
    case DistFile100: return 100;
    case DistFile1000: return 1000;
    case DistFile10000: return 10000;
    default: return resolution;
  }
}

int QuantileTableSize(const TDistribution& d) { return QuantileTableSize(d, TableResolution()); }

long double DistributionQuantile(const TDistribution& d, long double u) {
  switch (d.distType) {
    case DistConstant: return Param(d, 1);
    case DistUniform: {
      long double a = Param(d, 1), b = Param(d, 2);
      return a + u * (b - a);
    }
    case DistLogUniform: {
      long double la = std::log(static_cast<long double>(Param(d, 1)));
      long double lb = std::log(static_cast<long double>(Param(d, 2)));
      return std::exp(u * (lb - la) + la);
    }
    case DistNormal: return Param(d, 1) + Param(d, 2) * InverseNormal(u);
    case DistLogNormal: {
      long double z95 = InverseNormal(0.95L);
      return Param(d, 1) *
             std::exp(InverseNormal(u) * std::log(static_cast<long double>(Param(d, 2))) / z95);
    }
    case DistExponential: return Param(d, 4) - std::log(1 - u) / Param(d, 1);
    case DistGamma:
      return ChiSquareQuantile(2.0L * Param(d, 1), u) / (2.0L * Param(d, 2)) + Param(d, 4);
    case DistWeibull:
      return Param(d, 4) + Param(d, 3) * Power(-std::log(1 - u), 1.0L / Param(d, 2));
    case DistBeta: {
      long double a = Param(d, 3), b = Param(d, 4);
      return a + (b - a) * BetaQuantile(Param(d, 1), Param(d, 2), u);
    }
    case DistTriangular: {
      long double a = Param(d, 3), m = Param(d, 2), b = Param(d, 4);
      if (u >= 0 && u <= (m - a) / (b - a)) return a + std::sqrt(u * (m - a) * (b - a));
      return b - std::sqrt((b - m) * (1 - u) * (b - a));
    }
    case DistDiscrete: return DiscreteQuantile(d, u);
    default: return 0;
  }
}

bool TabulateQuantiles(double* table, const TDistribution& d, int resolution,
                       std::string_view folder) {
  int type = d.distType;
  if (IsFileType(type)) return ReadQuantileFile(table, d, folder);
  if (type < DistConstant || type > DistFile10000 || type == DistSampleFile) return false;
  int n = QuantileTableSize(d, resolution);
  if (n < 1) return false;
  bool shifted = type == DistUniform || (type >= DistNormal && type <= DistBeta);
  for (int i = 0; i <= n; ++i) {
    long double u = static_cast<long double>(i) / n;
    if (shifted && i == 0) u = 0.25L / n;
    if (shifted && i == n) u = 1 - 0.25L / n;
    table[i] = static_cast<double>(DistributionQuantile(d, u));
  }
  return true;
}

bool TabulateQuantiles(double* table, const TDistribution& d, std::string_view folder) {
  return TabulateQuantiles(table, d, TableResolution(), folder);
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Parses one real at text[pos..end) after blanks; a leading '+' is allowed.
bool ParseReal(const char* p, const char* end, const char*& next, double& value) {
  while (p < end && IsBlank(*p)) ++p;
  if (p < end && *p == '+') ++p;
  auto r = std::from_chars(p, end, value);
  if (r.ec != std::errc() || !std::isfinite(value)) return false;
  next = r.ptr;
  return true;
}

}  // namespace

bool ReadQuantileFilePath(double* table, int n, const std::string& path) {
  if (n < 1) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string text;
  int i = 0;
  // Blank lines are skipped; every other line holds a label and a value.
  while (i <= n && std::getline(in, text)) {
    std::string_view line(text);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const char* p = line.data();
    const char* end = p + line.size();
    const char* q = p;
    while (q < end && IsBlank(*q)) ++q;
    if (q == end) continue;
    double label, value;
    const char* next;
    if (!ParseReal(p, end, next, label)) return false;
    if (next < end && !IsBlank(*next)) return false;
    if (!ParseReal(next, end, next, value)) return false;
    if (next < end && !IsBlank(*next)) return false;
    table[i++] = value;
  }
  if (in.bad()) return false;
  return i == n + 1;
}

std::string ResolveDistributionFile(std::string_view storedName, std::string_view folder) {
  std::string name(storedName);
  for (char& c : name)
    if (c == '\\') c = '/';
  namespace fs = std::filesystem;
  std::string path = name;
  if (!name.empty() && name[0] != '/' && !folder.empty()) {
    std::string f(folder);
    for (char& c : f)
      if (c == '\\') c = '/';
    if (f.back() != '/') f += '/';
    path = f + name;
  }
  std::error_code ec;
  if (path.empty() || fs::exists(path, ec)) return path;
  // Look for a file of the same name without regard to case.
  fs::path p(path);
  fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  std::string want = p.filename().string();
  auto lower = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
  };
  std::string wantLower = lower(want);
  fs::directory_iterator it(dir, ec), endIt;
  for (int guard = 0; !ec && it != endIt && guard < 100000; it.increment(ec), ++guard) {
    if (lower(it->path().filename().string()) == wantLower) return it->path().string();
  }
  return path;
}

bool ReadQuantileFile(double* table, const TDistribution& d, std::string_view folder) {
  if (!IsFileType(d.distType)) return false;
  int n = QuantileTableSize(d);
  std::string_view stored(reinterpret_cast<const char*>(d.u.fileName + 1),
                          std::min<std::size_t>(d.u.fileName[0], sizeof d.u.fileName - 1));
  if (stored.empty()) return false;
  return ReadQuantileFilePath(table, n, ResolveDistributionFile(stored, folder));
}

std::string_view DistributionTitle(int type) {
  static const char* const kTitles[16] = {"",
                                          " Constant    ",
                                          " Uniform     ",
                                          " LogUniform  ",
                                          " Normal      ",
                                          " LogNormal   ",
                                          " Exponential ",
                                          " Gamma       ",
                                          " Weibull     ",
                                          " Beta        ",
                                          " Triangular  ",
                                          " Distr. File ",
                                          " Sample File ",
                                          " Discrete    ",
                                          " Distr. File ",
                                          " Distr. File "};
  if (type < 1 || type > 15) return {};
  return kTitles[type];
}

}  // namespace tesmira
