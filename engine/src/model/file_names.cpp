#include "model/file_names.h"

#include <cstring>

#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/store.h"
#include "tesmira/files.h"
#include "tesmira/model.h"

namespace tesmira {

std::string ModelFolderText() {
  TModelRecord* m = Model();
  if (!m) return {};
  std::string folder(ShortStringView(m->folder));
  if (folder.empty()) return folder;
  char last = folder.back();
  bool drive = folder.size() == 2 && last == ':';
  if (!drive && last != '/' && last != '\\') folder += '/';
  return folder;
}

std::string FileKindExtensionText(int kind) {
  int type = GetModelType();
  char digit = static_cast<char>('0' + type);
  switch (kind) {
    case 1: return std::string(".1") + digit + "0";
    case 2:
      if (type == ModelTypeZoziVor) return ".220";
      if (type >= 4) return ".DEP";
      return std::string(".2") + digit + "0";
    case 3: return ".FML";
    case 4: return ".MIN";
    case 5: return ".RAN";
    case 6: return ".FLT";
    case 7: return ".DIS";
    case 8: return ".BSE";
    case 9: return ".REP";
    case 10: return ".SIM";
    case 11: return ".MOM";
    case 12: return ".QUA";
    case 13: return ".USE";
    case 14: return ".FTR";
    case 15: return ".OUT";
    case 16: return ".ENT";
    case 17: return ".D_A";
    case 18: return ".SAM";
    case 19: return ".TPS";
    case 20: return ".SAD";
    case 21: return ".DEP";
    case 22: return ".RPC";
    case 23: return ".CMM";
    case 24: return ".SAP";
    case 25: return ".TPP";
    case 26: return ".SAE";
    case 27: return ".PRB";
    default: return {};
  }
}

bool DerivedFileNameText(std::string_view baseName, int kind, std::string& out) {
  out = ModelFolderText();
  out += baseName;
  out += FileKindExtensionText(kind);
  if (out.size() > 255) {
    out.clear();
    return false;
  }
  return true;
}

std::string_view BaseNameOf(std::string_view name) {
  std::size_t dot = name.find('.');
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

bool IsNameCharacter(char c) {
  return c == '!' || c == '#' || c == '$' || c == '&' || c == '@' || c == '_' ||
         (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool SetModelFileNameText(std::string_view fullName) {
  TModelRecord* m = Model();
  if (!m) return false;
  std::size_t slash = fullName.find_last_of("/\\");
  std::string folder;
  std::string_view name = fullName;
  if (slash != std::string_view::npos) {
    folder.assign(fullName.substr(0, slash + 1));
    name = fullName.substr(slash + 1);
  }
  for (char& c : folder)
    if (c == '\\') c = '/';
  if (folder.size() > 255 || name.size() > 255) return false;
  SetShortString(m->folder, folder);
  SetShortString(m->fileName, name);
  return true;
}

}  // namespace tesmira

using namespace tesmira;

extern "C" {

TESMIRA_API void ModelFolder(char* out) {
  tesmira::GuardedVoid([&] {
    if (out) CopyOut(out, ModelFolderText());
  });
}

TESMIRA_API void FileKindExtension(int32_t kind, char* out) {
  tesmira::GuardedVoid([&] {
    if (out) CopyOut(out, FileKindExtensionText(kind));
  });
}

TESMIRA_API bool DerivedFileName(const char* baseName, int32_t kind, char* out) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    std::string name;
    bool ok =
        DerivedFileNameText(baseName ? std::string_view(baseName) : std::string_view(), kind, name);
    if (out) CopyOut(out, name);
    return ok;
  });
}

TESMIRA_API bool SetModelFileName(const char* fullName) {
  return tesmira::Guarded<bool>(
      false, [&]() -> bool { return SetModelFileNameText(fullName ? fullName : ""); });
}

TESMIRA_API void BaseName(const char* name, char* out) {
  tesmira::GuardedVoid([&] {
    if (out)
      CopyOut(out, BaseNameOf(name ? std::string_view(name).substr(0, 255) : std::string_view()));
  });
}

TESMIRA_API bool IsNameChar(char c) {
  return tesmira::Guarded<bool>(false, [&]() -> bool { return IsNameCharacter(c); });
}

}  // extern "C"
