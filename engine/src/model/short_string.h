// Short strings as the records store them: a length byte followed by the
// characters. Unused bytes are written as zeros so records are deterministic.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tesmira {

// The text of a short string whose buffer holds capacity characters after the length byte.
inline std::string_view ShortStringView(const unsigned char* s, std::size_t capacity) {
  std::size_t n = std::min<std::size_t>(s[0], capacity);
  return std::string_view(reinterpret_cast<const char*>(s + 1), n);
}

template <std::size_t N>
inline std::string_view ShortStringView(const unsigned char (&s)[N]) {
  return ShortStringView(s, N - 1);
}

// Stores text, cut to capacity characters, and zeroes the rest of the buffer.
inline void SetShortString(unsigned char* s, std::size_t capacity, std::string_view text) {
  std::size_t n = std::min(text.size(), capacity);
  s[0] = static_cast<unsigned char>(n);
  std::memcpy(s + 1, text.data(), n);
  std::memset(s + 1 + n, 0, capacity - n);
}

template <std::size_t N>
inline void SetShortString(unsigned char (&s)[N], std::string_view text) {
  SetShortString(s, N - 1, text);
}

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

inline std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

// Names are compared without regard to case, on at most their first 32 characters.
inline std::string_view NameOf(std::string_view text) { return text.substr(0, 32); }

inline bool SameName(std::string_view a, std::string_view b) {
  a = NameOf(a);
  b = NameOf(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

}  // namespace tesmira
