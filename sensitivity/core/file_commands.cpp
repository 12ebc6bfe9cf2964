#include "file_commands.h"

#include <cstdio>
#include <filesystem>

#include "modular_header.h"
#include "settings.h"
#include "text_samples.h"

namespace tesvane {

namespace fs = std::filesystem;

bool IsFileLocked(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return true;
  std::fclose(f);
  std::error_code ec;
  return fs::is_directory(path, ec);
}

std::string LowerExtension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

std::string ChangeExtension(const std::string& path, const std::string& extension) {
  fs::path p(path);
  p.replace_extension(extension);
  return p.string();
}

TOpenKind ClassifyOpenPath(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !fs::exists(path, ec)) return TOpenKind::Missing;
  if (IsFileLocked(path)) return TOpenKind::Locked;
  const std::string ext = LowerExtension(path);
  if (ext == ".sam") return TOpenKind::Sam;
  if (ext == ".samhdr") return TOpenKind::Header;
  if (ext == ".rvinfo" || ext == ".sae" || ext == ".csv") return TOpenKind::Text;
  return TOpenKind::WrongExtension;
}

std::string OpenRefusalMessage(TOpenKind kind, const std::string& path) {
  switch (kind) {
    case TOpenKind::Missing: return "Error, file " + path + " does not exists!";
    case TOpenKind::Locked:
      return "File " + path +
             " is open for exclusive access in another application. Close it and try again.";
    case TOpenKind::WrongExtension: return "Wrong file extension";
    default: return {};
  }
}

bool ReadSampleFile(TFileData& store, const TIntList* selection, TReaderHost& host) {
  if (LowerExtension(store.FileName) == ".samhdr")
    return ReadModularSampleHeader(store, selection, host);
  return ReadTextSamples(store, selection, host);
}

bool AddOpenedToRecentFiles(std::vector<std::string>& list, const std::string& path,
                            int32_t slots) {
  for (const std::string& p : list)
    if (SameTextAscii(p, path)) return false;
  AddToRecentFiles(list, path);
  if (list.size() > static_cast<size_t>(slots > 0 ? slots : 0))
    list.resize(static_cast<size_t>(slots > 0 ? slots : 0));
  return true;
}

void RemoveFromRecentFiles(std::vector<std::string>& list, const std::string& path) {
  for (auto it = list.begin(); it != list.end(); ++it)
    if (*it == path) {
      list.erase(it);
      return;
    }
}

std::string RecentFileCaption(int32_t position, const std::string& path) {
  return std::string("&").append(std::to_string(position)) + ": " + path;
}

}  // namespace tesvane
