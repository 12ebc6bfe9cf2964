// Code page 437, the character set of every text the engine stores, and its
// conversion to and from UTF-8 for the windows (box-drawing characters of
// report pictures, Greek letters of parameter labels).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmira::wb {

// The Unicode code point of each of the 256 code page 437 bytes.
extern const char32_t kCp437ToUnicode[256];

std::string Cp437ToUtf8(std::string_view text);
// Appends a character of the basic multilingual plane as UTF-8.
void AppendUtf8(std::string& out, char32_t c);
// Characters without a code page 437 byte become "?"; malformed UTF-8 bytes too.
std::string Utf8ToCp437(std::string_view text);

}  // namespace tesmira::wb
