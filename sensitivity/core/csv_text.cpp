#include "csv_text.h"

namespace tesvane {

std::string CsvField(const std::string& text, char separator) {
  if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos &&
      (text.empty() || (text.front() != ' ' && text.back() != ' ')))
    return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string CsvLine(const std::vector<std::string>& fields, char separator) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += separator;
    line += CsvField(fields[i], separator);
  }
  return line + "\r\n";
}

}  // namespace tesvane
