// The INI class on arbitrary bytes: reading, looking up, changing and
// writing the file back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/tesmira_fuzz_ini_" + std::to_string(::getpid()) + ".ini";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  common::TIniFile ini(path);
  ini.SetAutoSave(false);
  for (const std::string& key : ini.ReadSection("Settings")) {
    (void)ini.ReadString("Settings", key, "");
    (void)ini.ReadInteger("Settings", key, 0);
    (void)ini.ReadBool("Settings", key, false);
  }
  ini.WriteString("settings", "Key", "a, b");
  ini.DeleteKey("SETTINGS", "other");
  ini.EraseSection("Old");
  try {
    ini.UpdateFile();
  } catch (const common::EIniFileError&) {
  }
  return 0;
}
