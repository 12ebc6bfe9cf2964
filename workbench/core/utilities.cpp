#include "utilities.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "files/buffered_file.h"
#include "text/value_text.h"

namespace tesmira::wb {

namespace fs = std::filesystem;

std::string BlanksToUnderscores(std::string_view text) {
  std::string s(text);
  std::replace(s.begin(), s.end(), ' ', '_');
  return s;
}

std::string EditBlanksToUnderscores(std::string& editText) {
  std::string s = BlanksToUnderscores(editText);
  if (s != editText) editText = s;
  return s;
}

std::string RepeatChar(char c, int n) {
  return std::string(static_cast<std::size_t>(std::max(n, 0)), c);
}

bool IsMissingText(std::string_view text) {
  if (text.empty() || text == "N/A") return true;
  return text.size() == 1 && std::string_view("+,-.").find(text[0]) != std::string_view::npos;
}

bool TryParseNumber(double& number, std::string_view text) {
  if (IsMissingText(text)) return false;
  double value = 0;
  if (!ParseNumberField(text, value)) return false;
  number = value;
  return true;
}

std::string CounterLabelText(int selected, int total) {
  if (total <= 0) return "0 total";
  if (selected <= 0) return "none";
  return std::to_string(selected) + " of " + std::to_string(total) + " total";
}

int ClampInt(int value, int min, int max) { return value < min ? min : std::min(value, max); }

int InRangeOr(int value, int defaultValue, int min, int max) {
  return min <= value && value <= max ? value : defaultValue;
}

namespace {

std::size_t NameStart(std::string_view path) {
  std::size_t p = path.find_last_of("/\\");
  return p == std::string_view::npos ? 0 : p + 1;
}

std::string Slashes(std::string_view path) {
  std::string s(path);
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

}  // namespace

std::string ExtractFileName(std::string_view path) {
  return std::string(path.substr(NameStart(path)));
}

std::string ExtractFileFolder(std::string_view path) {
  return Slashes(path.substr(0, NameStart(path)));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  std::size_t start = NameStart(path);
  std::size_t dot = path.find_last_of('.');
  std::string s(path);
  if (dot != std::string_view::npos && dot >= start) s.resize(dot);
  return s + std::string(ext);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(Slashes(path), ec);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  fs::path pa = fs::weakly_canonical(fs::absolute(Slashes(a), ec), ec);
  fs::path pb = fs::weakly_canonical(fs::absolute(Slashes(b), ec), ec);
  return pa == pb;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st;
  if (!FileExists(path) || stat(Slashes(path).c_str(), &st) != 0) return false;
  // The permission bits of the class this user falls in, so that a file
  // marked read-only counts as such even for the superuser.
  mode_t bit = st.st_uid == geteuid() ? S_IWUSR : st.st_gid == getegid() ? S_IWGRP : S_IWOTH;
  return (st.st_mode & bit) == 0 || access(Slashes(path).c_str(), W_OK) != 0;
}

std::string UniqueFileName(const std::string& base, const std::string& ext, bool apply) {
  std::string candidate = base;
  for (int n = 1; n <= 999 && FileExists(ChangeFileExt(candidate, ext)); ++n)
    candidate = base + std::to_string(n);
  return apply ? ChangeFileExt(candidate, ext) : candidate;
}

std::string RelativeToModel(const std::string& path, const std::string& baseFile,
                            const std::string& modelFileName) {
  const std::string& base = baseFile.empty() ? modelFileName : baseFile;
  if (base.empty() || path.empty()) return path;
  fs::path p = fs::path(Slashes(path)).lexically_normal();
  if (!p.is_absolute()) return path;
  std::error_code ec;
  fs::path folder = fs::absolute(fs::path(Slashes(base)), ec).parent_path().lexically_normal();
  fs::path rel = p.lexically_relative(folder);
  return rel.empty() ? path : rel.generic_string();
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  return AbsoluteFromModel(path, "", "");
}

std::string FindDerivedFile(const std::string& path) {
  if (path.empty()) return "";
  if (FileExists(path)) return path;
  return FindFileNoCase(Slashes(path));
}

std::string AbsoluteFromModel(const std::string& path, const std::string& baseFolder,
                              const std::string& modelFileName) {
  fs::path p(Slashes(path));
  if (p.is_absolute()) return p.lexically_normal().generic_string();
  fs::path folder;
  if (!baseFolder.empty()) {
    folder = fs::path(Slashes(baseFolder));
  } else if (!modelFileName.empty()) {
    folder = fs::path(Slashes(modelFileName)).parent_path();
  }
  std::error_code ec;
  if (!folder.is_absolute()) folder = fs::current_path(ec) / folder;
  return (folder / p).lexically_normal().generic_string();
}

}  // namespace tesmira::wb
