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
// A hexadecimal real number ("0x1.8p3", with an optional sign) at begin, as the
// C library reads one; false, with nothing read, when begin holds none. On true
// p is past the number and value holds it, or result is NotFinite.
// The value of a number text that std::from_chars found beyond the range of its
// type: tiny numbers give 0 (Ok), huge ones NotFinite. begin is where the
// number starts (after "0x" for a hexadecimal one).
NumberText OutOfRangeValue(const char* begin, const char* end, bool hex, double& value);
bool ParseHexDouble(const char*& p, const char* end, double& value, NumberText& result);
bool ParseHexFloat(const char*& p, const char* end, float& value, NumberText& result);

}  // namespace fn
