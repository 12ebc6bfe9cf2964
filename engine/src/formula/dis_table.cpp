#include "formula/dis_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace tesmira::formula {

double DisTable::Value(double x) const {
  int rows = Rows();
  if (rows < 2) return 0;
  int k = 0;
  if (std::isnan(x)) {
    // No row is at most x: row 0.
  } else if (ascending) {
    auto it = std::upper_bound(column2.begin(), column2.end(), x);
    k = it == column2.begin() ? 0 : static_cast<int>(it - column2.begin()) - 1;
  } else {
    for (int i = rows - 1; i > 0; --i)
      if (column2[static_cast<std::size_t>(i)] <= x) {
        k = i;
        break;
      }
  }
  return column1[static_cast<std::size_t>(k)] / (rows - 1);
}

static bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

static bool ReadReal(const char*& p, const char* end, double& v) {
  while (p < end && IsSpace(*p)) ++p;
  if (p < end && *p == '+') ++p;
  auto [ptr, ec] = std::from_chars(p, end, v, std::chars_format::general);
  if (ec != std::errc() || !std::isfinite(v)) return false;
  p = ptr;
  return true;
}

bool ReadDisTable(const std::string& path, DisTable& table) {
  // Far more than any table of MaxTableRows lines needs.
  constexpr std::uintmax_t kMaxFileSize = 16u << 20;
  std::error_code ec;
  std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileSize) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  table.column1.clear();
  table.column2.clear();
  std::string line;
  while (std::getline(in, line)) {
    const char* p = line.data();
    const char* end = p + line.size();
    const char* q = p;
    while (q < end && IsSpace(*q)) ++q;
    if (q == end) continue;
    double a = 0, b = 0;
    if (!ReadReal(p, end, a) || !ReadReal(p, end, b)) return false;
    if (table.Rows() >= MaxTableRows) return false;
    table.column1.push_back(a);
    table.column2.push_back(b);
  }
  if (in.bad() || table.Rows() < 2) return false;
  table.ascending = std::is_sorted(table.column2.begin(), table.column2.end());
  return true;
}

static std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

std::string FindDisFile(std::string_view folder, std::string_view name) {
  std::string dir(folder);
  std::replace(dir.begin(), dir.end(), '\\', '/');
  if (dir.empty()) dir.assign(1, '.');
  std::string spelled(name);
  spelled.append(".DIS");
  std::string wanted = Lower(spelled);
  std::error_code ec;
  std::filesystem::directory_iterator it(dir, ec), end;
  std::string exact;
  for (; !ec && it != end; it.increment(ec)) {
    std::string file = it->path().filename().string();
    if (Lower(file) != wanted) continue;
    std::error_code fe;
    if (!it->is_regular_file(fe)) continue;
    // Prefer the exact spelling when several differ only in case.
    if (file == spelled) return it->path().string();
    if (exact.empty()) exact = it->path().string();
  }
  return exact;
}

}  // namespace tesmira::formula
