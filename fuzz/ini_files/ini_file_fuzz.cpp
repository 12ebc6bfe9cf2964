// The INI class on arbitrary bytes: reading, looking up, changing and
// writing the file back.
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInputFile("settings.ini", data, size);
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
