// The sensitivity program's settings readers on any settings file; then the
// defaults, the close state and the recent files written over it.
#include <cstdint>

#include "fuzz_input_file.h"

#include "settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tesvane;
  const std::string path = fuzz_support::WriteInputFile("Tesvane.ini", data, size);
  TIniFile ini(path);
  ini.SetAutoSave(false);
  (void)ReadGroupCount(ini);
  (void)ReadSamplesForRegressionPlot(ini);
  (void)ReadImportSelected(ini);
  (void)ReadDegreeSettings(ini);
  const TStartSettings start = ReadStartSettings(ini, 300);
  std::vector<std::string> recent = LoadRecentFiles(ini);
  AddToRecentFiles(recent, "/tmp/x.sae");
  WriteDefaultSettings(ini, 273, 281);
  TCloseSettings close;
  close.Width = start.Width;
  close.Height = start.Height;
  close.RecentFiles = recent;
  WriteCloseSettings(ini, close);
  SaveRecentFiles(ini, recent);
  WriteOptionsSettings(ini, TOptionsSettings{});
  (void)ini.Text();
  return 0;
}
