#include "simulation/distribution_probe.h"

#include <fstream>
#include <string_view>

#include "text/value_text.h"

namespace tesmira {
namespace {

std::string_view Trim(std::string_view s) {
  const char* blanks = " \t\r\n";
  std::size_t a = s.find_first_not_of(blanks);
  if (a == std::string_view::npos) return {};
  std::size_t b = s.find_last_not_of(blanks);
  return s.substr(a, b - a + 1);
}

// Two numbers separated by blanks (or, failing that, a tab).
bool HoldsPair(std::string_view line) {
  std::size_t sep = line.find(' ');
  if (sep == std::string_view::npos) sep = line.find('\t');
  if (sep == std::string_view::npos) return false;
  double a = 0, b = 0;
  return ParseNumberField(line.substr(0, sep), a) && ParseNumberField(line.substr(sep + 1), b);
}

}  // namespace

int ProbeDistributionFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  std::string line;
  long lines = 0;
  bool checking = true;
  while (std::getline(in, line)) {
    std::string_view t = Trim(line);
    if (checking) {
      if (lines >= 101 || t.size() < 6) {
        checking = false;
      } else if (!HoldsPair(t)) {
        return 0;
      }
    }
    if (!t.empty()) ++lines;
  }
  if (in.bad()) return 0;
  // The line count decides the resolution, whatever the line ends are.
  long n = lines <= 100 ? 101 : lines;
  if (n >= 100 && n <= 199) return 11;
  if (n >= 1000 && n <= 1999) return 14;
  if (n >= 10000 && n <= 19999) return 15;
  return 0;
}

}  // namespace tesmira
