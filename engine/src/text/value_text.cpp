#include "text/value_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tesmira {

void DecimalDigits18(double value, char digits[18], int& exponent) {
  char buf[40];
  auto res =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 17);
  // "d.ddddddddddddddddde[+-]xx[x]"
  const char* p = buf;
  digits[0] = *p++;
  ++p;  // '.'
  for (int i = 1; i < 18; ++i) digits[i] = *p++;
  ++p;  // 'e'
  bool negative = (*p == '-');
  ++p;
  int e = 0;
  std::from_chars(p, res.ptr, e);
  exponent = negative ? -e : e;
}

namespace {

// Rounds an 18-digit expansion half up to n digits (n < 18); a carry into a
// new leading digit raises the exponent.
void RoundHalfUp(char digits[18], int n, int& exponent) {
  bool up = digits[n] >= '5';
  for (int k = n; k < 18; ++k) digits[k] = '0';
  if (!up) return;
  int i = n - 1;
  while (i >= 0 && digits[i] == '9') digits[i--] = '0';
  if (i >= 0) {
    ++digits[i];
  } else {
    digits[0] = '1';
    ++exponent;
  }
}

char* WriteExponent(char* out, int exponent, int width) {
  *out++ = exponent < 0 ? '-' : '+';
  unsigned e = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
  char tmp[8];
  int n = 0;
  do {
    tmp[n++] = static_cast<char>('0' + e % 10);
    e /= 10;
  } while (e != 0);
  while (n < width) tmp[n++] = '0';
  while (n > 0) *out++ = tmp[--n];
  return out;
}

// Powers of ten as the nearest doubles, 10^-300 .. 10^300.
constexpr int kPowMin = -300, kPowMax = 300;
struct PowTable {
  std::array<double, kPowMax - kPowMin + 1> p;
  PowTable() {
    for (int k = kPowMin; k <= kPowMax; ++k) {
      char text[16];
      text[0] = '1';
      text[1] = 'e';
      auto r = std::to_chars(text + 2, text + sizeof text, k);
      std::from_chars(text, r.ptr, p[k - kPowMin]);
    }
  }
  double operator[](int k) const { return p[k - kPowMin]; }
};
const PowTable kPow10;
const PowTable& Pow10() { return kPow10; }

// Five significant digits of |value| (10000..99999) and the decimal exponent,
// rounded half up from the 18-digit expansion.
void FiveDigits(double x, unsigned& n, int& e) {
  const PowTable& pow10 = Pow10();
  int biased = static_cast<int>((std::bit_cast<uint64_t>(x) >> 52) & 0x7ff);
  if (biased > 0) {
    // x in [2^(b-1), 2^b) with b = biased - 1022: the estimate is the
    // exponent or one below it.
    e = ((biased - 1023) * 78913) >> 18;  // floor((b - 1) log10 2)
    if (e > -280 && e < 280) {
      // The estimate is low by one for about a third of all values: adjust
      // without a branch and scale again.
      e += x * pow10[4 - e] >= 100000.0;
      double y = x * pow10[4 - e];
      if (y >= 10000.0 && y < 100000.0) {
        unsigned fl = static_cast<unsigned>(y);
        double f = y - fl;
        // The computed y is within a few units of 1e-11 of the true scaled
        // value; only a fraction near one half needs the exact expansion.
        if (f < 0.499999 || f > 0.500001) {
          n = fl + (f > 0.5);
          if (n == 100000u) {
            n = 10000u;
            ++e;
          }
          return;
        }
      }
    }
  }
  char d[18];
  DecimalDigits18(x, d, e);
  RoundHalfUp(d, 5, e);
  n = 0;
  for (int i = 0; i < 5; ++i) n = n * 10 + static_cast<unsigned>(d[i] - '0');
}

char* NonFinite(double value, char* out, std::size_t width) {
  const char* text = std::isnan(value) ? "Nan" : (value > 0 ? "+Inf" : "-Inf");
  std::size_t len = std::strlen(text);
  std::memset(out, ' ', width - len);
  std::memcpy(out + width - len, text, len);
  return out + width;
}

// mode 0: 11 characters (three-digit exponents drop the fifth digit),
// 1: 13 characters, 2: 11 characters keeping the last two exponent digits.
char* FormatSample(double value, char* out, int mode) {
  std::size_t width = mode == 1 ? 13 : 11;
  if (!std::isfinite(value)) return NonFinite(value, out, width);
  unsigned n = 0;
  int e = 0;
  char sign = ' ';
  if (value != 0.0) {
    if (value < 0) sign = '-';
    FiveDigits(std::fabs(value), n, e);
  }
  char d[5];
  unsigned hi = n / 100, lo = n % 100;  // ddd dd
  d[0] = static_cast<char>('0' + hi / 100);
  d[1] = static_cast<char>('0' + (hi / 10) % 10);
  d[2] = static_cast<char>('0' + hi % 10);
  d[3] = static_cast<char>('0' + lo / 10);
  d[4] = static_cast<char>('0' + lo % 10);
  char* p = out;
  *p++ = sign;
  *p++ = d[0];
  *p++ = '.';
  unsigned ae = static_cast<unsigned>(e < 0 ? -e : e);
  if (mode == 1) {
    std::memcpy(p, d + 1, 4);
    p += 4;
    *p++ = 'E';
    return WriteExponent(p, e, 4);
  }
  if (mode == 2 || ae < 100) {
    std::memcpy(p, d + 1, 4);
    p += 4;
    *p++ = 'E';
    *p++ = e < 0 ? '-' : '+';
    *p++ = static_cast<char>('0' + (ae / 10) % 10);
    *p++ = static_cast<char>('0' + ae % 10);
    return p;
  }
  std::memcpy(p, d + 1, 3);
  p += 3;
  *p++ = 'E';
  *p++ = e < 0 ? '-' : '+';
  *p++ = static_cast<char>('0' + (ae / 100) % 10);
  *p++ = static_cast<char>('0' + (ae / 10) % 10);
  *p++ = static_cast<char>('0' + ae % 10);
  return p;
}

}  // namespace

char* FormatSampleValue(double value, char* out) { return FormatSample(value, out, 0); }
char* FormatSampleValue13(double value, char* out) { return FormatSample(value, out, 1); }
char* FormatSampleValueShort(double value, char* out) { return FormatSample(value, out, 2); }

std::size_t FormatScientific(double value, int significant, int exponentDigits, char* out) {
  char* p = out;
  if (!std::isfinite(value)) {
    const char* text = std::isnan(value) ? "Nan" : (value > 0 ? "+Inf" : "-Inf");
    std::size_t len = std::strlen(text);
    std::memcpy(out, text, len);
    return len;
  }
  char d[18];
  int e = 0;
  if (value == 0.0) {
    std::memset(d, '0', sizeof d);
  } else {
    DecimalDigits18(value, d, e);
    if (significant < 18) RoundHalfUp(d, significant, e);
  }
  *p++ = value < 0 ? '-' : ' ';
  *p++ = d[0];
  *p++ = '.';
  for (int i = 1; i < significant; ++i) *p++ = d[i];
  *p++ = 'E';
  p = WriteExponent(p, e, exponentDigits);
  return static_cast<std::size_t>(p - out);
}

std::string FormatFixed(double value, int decimals, int width) {
  std::string body;
  if (!std::isfinite(value)) {
    body = std::isnan(value) ? "Nan" : (value > 0 ? "+Inf" : "-Inf");
  } else {
    // Digits of the integer round(|value| * 10^decimals), half up.
    char digits[400];
    int count = 0;
    if (value != 0.0) {
      char d[18];
      int e = 0;
      DecimalDigits18(value, d, e);
      int keep = e + 1 + decimals;  // digits before the rounding position
      if (keep >= 18) {
        for (int i = 0; i < 18; ++i) digits[count++] = d[i];
        for (int i = 18; i < keep && count < 380; ++i) digits[count++] = '0';
      } else if (keep >= 1) {
        RoundHalfUp(d, keep, e);
        keep = std::min(e + 1 + decimals, 18);
        for (int i = 0; i < keep; ++i) digits[count++] = d[i];
      } else if (keep == 0 && d[0] >= '5') {
        digits[count++] = '1';
      }
    }
    int need = decimals + 1;
    bool nonzero = false;
    for (int i = 0; i < count; ++i) nonzero |= digits[i] != '0';
    char all[420];
    int len = 0;
    for (int i = count; i < need; ++i) all[len++] = '0';
    for (int i = 0; i < count; ++i) all[len++] = digits[i];
    char text[424];
    int t = 0;
    if (value < 0 && nonzero) text[t++] = '-';
    for (int i = 0; i < len; ++i) {
      if (decimals > 0 && i == len - decimals) text[t++] = '.';
      text[t++] = all[i];
    }
    body.assign(text, static_cast<std::size_t>(t));
  }
  std::string out;
  if (static_cast<int>(body.size()) < width)
    out.assign(static_cast<std::size_t>(width) - body.size(), ' ');
  out += body;
  return out;
}

void AppendFixed(std::string& out, double value, int decimals, int width) {
  static constexpr double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  if (decimals >= 0 && decimals <= 6 && std::isfinite(value)) {
    const double a = std::fabs(value);
    const double p = a * kScale[decimals];
    // Below 2^52 the whole part and the fraction of p are exact; p differs
    // from |value| * 10^decimals, and the 18-digit expansion from |value|,
    // by far less than p * 4e-16, so away from a half both round alike.
    if (p < 4503599627370496.0) {
      const double whole = std::floor(p);
      const double fraction = p - whole;
      if (std::fabs(fraction - 0.5) > p * 4e-16) {
        uint64_t n = static_cast<uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
        char digits[24];
        int count = 0;
        do {
          digits[count++] = static_cast<char>('0' + n % 10);
          n /= 10;
        } while (n != 0);
        const bool nonzero = count > 1 || digits[0] != '0';
        while (count < decimals + 1) digits[count++] = '0';
        const int length = count + (decimals > 0 ? 1 : 0) + (value < 0 && nonzero ? 1 : 0);
        if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
        if (value < 0 && nonzero) out += '-';
        for (int i = count - 1; i >= 0; --i) {
          out += digits[i];
          if (i == decimals && decimals > 0) out += '.';
        }
        return;
      }
    }
  }
  out += FormatFixed(value, decimals, width);
}

bool ParseNumberField(std::string_view text, double& value) {
  const char* blanks = " \t\r\n";
  std::size_t a = text.find_first_not_of(blanks);
  if (a == std::string_view::npos) return false;
  text = text.substr(a, text.find_last_not_of(blanks) - a + 1);
  if (text.front() == '+') text.remove_prefix(1);
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

}  // namespace tesmira
