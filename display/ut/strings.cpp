#include "ut/strings.h"

#include <charconv>

#include "ut/exception.h"

namespace ut {
namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Walks the fields of s; calls visit(number, begin, end) for each and stops when
// it returns true. Returns whether a visit returned true.
template <typename Visit>
bool walk_fields(const std::string& s, const std::string& delimiter, Visit visit) {
  if (delimiter.empty()) {
    throw Exception("Delimiter string cannot be blank", "String::count_delimited_fields");
  }
  std::size_t pos = 0;
  int number = 0;
  for (;;) {
    while (pos < s.size() && s.compare(pos, delimiter.size(), delimiter) == 0) {
      pos += delimiter.size();
    }
    if (pos >= s.size()) return false;
    std::size_t end = s.find(delimiter, pos);
    if (end == std::string::npos) end = s.size();
    if (visit(number, pos, end)) return true;
    ++number;
    if (end >= s.size()) return false;
    pos = end;
  }
}

}  // namespace

int String::count_delimited_fields(const String& delimiter) const {
  int count = 0;
  walk_fields(*this, delimiter, [&](int, std::size_t, std::size_t) {
    ++count;
    return false;
  });
  return count;
}

bool String::delimited_field(const String& delimiter, int index, String& field) const {
  return walk_fields(*this, delimiter, [&](int number, std::size_t begin, std::size_t end) {
    if (number != index) return false;
    field.assign(*this, begin, end - begin);
    return true;
  });
}

std::vector<String> String::delimited_fields(const String& delimiter) const {
  std::vector<String> fields;
  walk_fields(*this, delimiter, [&](int, std::size_t begin, std::size_t end) {
    fields.emplace_back(String(substr(begin, end - begin)));
    return false;
  });
  return fields;
}

void String::trim() {
  std::size_t begin = 0;
  while (begin < size() && is_space((*this)[begin])) ++begin;
  std::size_t end = size();
  while (end > begin && is_space((*this)[end - 1])) --end;
  assign(substr(begin, end - begin));
}

void String::to_lower() {
  for (char& c : *this) c = lower(c);
}

int compare_nocase(const String& a, const String& b) {
  String la(a), lb(b);
  la.to_lower();
  lb.to_lower();
  return la.compare(lb);
}

String int_to_string(long long value) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return String(buf, static_cast<std::size_t>(r.ptr - buf));
}

}  // namespace ut
