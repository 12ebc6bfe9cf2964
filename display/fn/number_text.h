#pragma once

#include <cstdint>

namespace fn {

// Numbers at the start of a text, read the same in every locale (the point is
// the decimal separator): leading blanks, tabs, line ends, vertical tabs and
// form feeds are skipped, a sign is allowed, text after the number is ignored.
enum class NumberText { Ok, NoNumber, NotFinite };

// A decimal integer ("%d"); NoNumber when there are no digits or it does not
// fit into 64 bits.
NumberText ParseLeadingInteger(const char* begin, const char* end, std::int64_t& value);
// A real number in fixed or exponent form, rounded once to the float.
// NotFinite for "inf", "nan" and numbers beyond the float range.
NumberText ParseLeadingFloat(const char* begin, const char* end, float& value);
// A real number rounded to double (as the comma-separated files are read).
NumberText ParseLeadingDouble(const char* begin, const char* end, double& value);

}  // namespace fn
