#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace ut {

// The library's string: a standard string of 8-bit characters with field and
// white-space helpers. A null C string gives an empty string.
class String : public std::string {
 public:
  String() = default;
  String(const char* s) : std::string(s ? s : "") {}  // NOLINT: implicit on purpose
  String(const char* s, std::size_t n) : std::string(s, n) {}
  String(const std::string& s) : std::string(s) {}        // NOLINT
  String(std::string&& s) : std::string(std::move(s)) {}  // NOLINT
  String(std::size_t n, char c) : std::string(n, c) {}
  String(const String&) = default;
  String(String&&) = default;
  String& operator=(const String&) = default;
  String& operator=(String&&) = default;
  virtual ~String() = default;

  // Number of non-empty fields between occurrences of the delimiter; runs of
  // delimiters separate once, leading and trailing delimiters add nothing.
  // Throws ut::Exception for an empty delimiter.
  int count_delimited_fields(const String& delimiter) const;
  // Field number index (from 0) in the sense of count_delimited_fields; false,
  // with field unchanged, when there are fewer fields.
  bool delimited_field(const String& delimiter, int index, String& field) const;
  // Every field in the sense of count_delimited_fields, in one pass.
  std::vector<String> delimited_fields(const String& delimiter) const;
  // Removes leading and trailing blanks, tabs, line feeds, vertical tabs, form
  // feeds and carriage returns.
  void trim();
  // Lower-cases A to Z.
  void to_lower();
};

using StringVector = std::vector<String>;
using SizeTSet = std::set<std::size_t>;

// Compares lower-cased copies: negative, 0 or positive.
int compare_nocase(const String& a, const String& b);
String int_to_string(long long value);

}  // namespace ut
