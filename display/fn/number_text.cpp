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

template <typename Real>
NumberText parse_real(const char* begin, const char* end, Real& value) {
  const char* p = skip_to_number(begin, end);
  if (p == end) return NumberText::NoNumber;
  Real v{};
  auto r = std::from_chars(p, end, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond the range of Real: tiny numbers become 0, huge ones are refused.
    long double wide = 0;
    auto rw = std::from_chars(p, end, wide, std::chars_format::general);
    if (rw.ec != std::errc() || std::fabs(wide) > 1) return NumberText::NotFinite;
    value = static_cast<Real>(wide);
    return NumberText::Ok;
  }
  if (r.ec != std::errc()) return NumberText::NoNumber;
  if (!std::isfinite(v)) return NumberText::NotFinite;
  value = v;
  return NumberText::Ok;
}

}  // namespace

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

}  // namespace fn
