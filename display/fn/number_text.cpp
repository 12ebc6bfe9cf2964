#include "fn/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace fn {
namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Skips white space and a leading '+' (which std::from_chars does not take).
const char* skip_to_number(const char* p, const char* end) {
  while (p != end && is_space(*p)) ++p;
  if (p != end && *p == '+') {
    ++p;
    if (p != end && (*p == '-' || *p == '+')) return end;
  }
  return p;
}

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

template <typename Real>
bool parse_hex(const char*& p, const char* end, Real& value, NumberText& result) {
  const char* q = p;
  bool negative = false;
  if (q != end && (*q == '-' || *q == '+')) negative = *q++ == '-';
  // "0x" must be followed by a hexadecimal digit, or by a point and one.
  if (end - q < 3 || q[0] != '0' || (q[1] != 'x' && q[1] != 'X')) return false;
  const char* digits = q + 2;
  if (!is_hex_digit(digits[0]) &&
      !(digits[0] == '.' && end - digits >= 2 && is_hex_digit(digits[1]))) {
    return false;
  }
  Real v{};
  auto r = std::from_chars(digits, end, v, std::chars_format::hex);
  if (r.ec == std::errc::result_out_of_range) {
    p = r.ptr;
    double d = 0;
    result = OutOfRangeValue(digits, end, true, d);
    if (result == NumberText::Ok) value = static_cast<Real>(negative ? -d : d);
    return true;
  }
  if (r.ec != std::errc()) return false;
  p = r.ptr;
  value = negative ? -v : v;
  result = std::isfinite(value) ? NumberText::Ok : NumberText::NotFinite;
  return true;
}

template <typename Real>
NumberText parse_real(const char* begin, const char* end, Real& value) {
  const char* p = skip_to_number(begin, end);
  if (p == end) return NumberText::NoNumber;
  NumberText hex_result;
  const char* h = p;
  if (parse_hex(h, end, value, hex_result)) return hex_result;
  Real v{};
  auto r = std::from_chars(p, end, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    double d = 0;
    NumberText result = OutOfRangeValue(p, end, false, d);
    if (result == NumberText::Ok) value = static_cast<Real>(d);
    return result;
  }
  if (r.ec != std::errc()) return NumberText::NoNumber;
  if (!std::isfinite(v)) return NumberText::NotFinite;
  value = v;
  return NumberText::Ok;
}

}  // namespace

NumberText OutOfRangeValue(const char* begin, const char* end, bool hex, double& value) {
  const auto format = hex ? std::chars_format::hex : std::chars_format::general;
  long double wide = 0;
  auto r = std::from_chars(begin, end, wide, format);
  if (r.ec == std::errc()) {
    if (std::fabs(wide) > 1) return NumberText::NotFinite;
    value = static_cast<double>(wide);
    return NumberText::Ok;
  }
  if (r.ec != std::errc::result_out_of_range) return NumberText::NoNumber;
  // Beyond even the long double: tiny when its exponent is negative.
  const char mark = hex ? 'p' : 'e';
  for (const char* q = begin; q != r.ptr; ++q) {
    if ((*q | 0x20) == mark) {
      if (q + 1 != r.ptr && q[1] == '-') {
        value = *begin == '-' ? -0.0 : 0.0;
        return NumberText::Ok;
      }
      break;
    }
  }
  return NumberText::NotFinite;
}

NumberText ParseLeadingInteger(const char* begin, const char* end, std::int64_t& value) {
  const char* p = skip_to_number(begin, end);
  if (p == end) return NumberText::NoNumber;
  std::int64_t v = 0;
  auto r = std::from_chars(p, end, v);
  if (r.ec != std::errc()) return NumberText::NoNumber;
  value = v;
  return NumberText::Ok;
}

NumberText ParseLeadingFloat(const char* begin, const char* end, float& value) {
  return parse_real(begin, end, value);
}

NumberText ParseLeadingDouble(const char* begin, const char* end, double& value) {
  return parse_real(begin, end, value);
}

bool ParseHexDouble(const char*& p, const char* end, double& value, NumberText& result) {
  return parse_hex(p, end, value, result);
}

bool ParseHexFloat(const char*& p, const char* end, float& value, NumberText& result) {
  return parse_hex(p, end, value, result);
}

}  // namespace fn
