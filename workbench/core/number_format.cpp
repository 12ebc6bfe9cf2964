#include "number_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "text/value_text.h"

namespace tesmira::wb {

namespace {

// The decimal expansion of |value|: 18 digits and the exponent of the first.
struct TDigits {
  char d[18];
  int exponent = 0;
  bool zero = true;

  explicit TDigits(double value) {
    std::memset(d, '0', sizeof d);
    if (value != 0.0) {
      DecimalDigits18(value, d, exponent);
      zero = false;
    }
  }
  // Rounds half up to n significant digits (1..18); a carry into a new
  // leading digit raises the exponent.
  void Round(int n) {
    if (zero || n >= 18) return;
    bool up = d[n] >= '5';
    for (int k = n; k < 18; ++k) d[k] = '0';
    if (!up) return;
    int i = n - 1;
    while (i >= 0 && d[i] == '9') d[i--] = '0';
    if (i >= 0) {
      ++d[i];
    } else {
      d[0] = '1';
      ++exponent;
    }
  }
  // The digit at the decimal place 10^place.
  char At(int place) const {
    int i = exponent - place;
    return zero || i < 0 || i >= 18 ? '0' : d[i];
  }
};

std::string Exponent(int e) {
  std::string s = e < 0 ? "-" : "+";
  std::string digits = std::to_string(e < 0 ? -e : e);
  if (digits.size() < 3) s.append(3 - digits.size(), '0');
  return s + digits;
}

// Fixed notation of the (already rounded) digits with the given decimals.
std::string Fixed(const TDigits& x, int decimals) {
  std::string s;
  for (int q = std::max(x.zero ? 0 : x.exponent, 0); q >= 0; --q) s += x.At(q);
  if (decimals > 0) {
    s += '.';
    for (int q = -1; q >= -decimals; --q) s += x.At(q);
  }
  return s;
}

std::string FixedText(double value, int decimals) {
  TDigits x(value);
  if (!x.zero) {
    int n = x.exponent + 1 + decimals;  // significant digits kept
    if (n >= 1) {
      x.Round(n);
    } else if (n == 0 && x.d[0] >= '5') {
      std::memset(x.d, '0', sizeof x.d);
      x.d[0] = '1';
      x.exponent = -decimals;
    } else {
      x.zero = true;
    }
  }
  return Fixed(x, decimals);
}

std::string ScientificText(TDigits& x, int significant) {
  std::string s(1, x.d[0]);
  if (significant > 1) {
    s += '.';
    s.append(x.d + 1, x.d + significant);
  }
  return s + "E" + Exponent(x.zero ? 0 : x.exponent);
}

void DropTrailingZeros(std::string& s) {
  if (s.find('.') == std::string::npos) return;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
}

std::string GeneralText(double value, int significant) {
  TDigits x(value);
  x.Round(significant);
  int e = x.zero ? 0 : x.exponent;
  if (e < -4 || e >= significant) {
    std::string s = ScientificText(x, significant);
    std::size_t epos = s.find('E');
    std::string mantissa = s.substr(0, epos);
    DropTrailingZeros(mantissa);
    return mantissa + s.substr(epos);
  }
  std::string s = Fixed(x, significant - 1 - e);
  DropTrailingZeros(s);
  return s;
}

}  // namespace

std::string FormatNumberAs(double value, int letter, int width, int precision) {
  std::string body;
  if (std::isnan(value)) {
    body = "NAN";
  } else if (std::isinf(value)) {
    body = "INF";
  } else {
    precision = std::clamp(precision, 0, 18);
    int significant = std::max(precision, 1);
    switch (letter) {
      case 0: {
        TDigits x(value);
        x.Round(significant);
        body = ScientificText(x, significant);
        break;
      }
      case 1: body = FixedText(value, precision); break;
      default: body = GeneralText(value, significant); break;
    }
  }
  if (std::signbit(value) && !std::isnan(value)) body.insert(body.begin(), '-');
  if (width > 0 && body.size() < static_cast<std::size_t>(width))
    body.insert(0, static_cast<std::size_t>(width) - body.size(), ' ');
  return body;
}

std::string FormatNumber(double value, const TDisplaySettings& settings) {
  return FormatNumberAs(value, settings.fpformat, settings.fpwidth, settings.fpprecision);
}

std::string FormatCorrelation(double value, const TDisplaySettings& settings) {
  return FormatNumberAs(value, 1, 0, settings.fpprecisionCMX);
}

}  // namespace tesmira::wb
