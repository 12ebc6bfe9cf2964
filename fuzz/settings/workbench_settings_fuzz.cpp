// The workbench's settings readers on any settings file: the main window's
// values, the report sections, the simulation choices and the link window's
// place; then the file written back.
#include <cstdint>

#include "fuzz_input_file.h"

#include "ini_file.h"
#include "main_view.h"
#include "report_sections.h"
#include "settings.h"
#include "simulation_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInputFile("Tesmira.ini", data, size);
  tesmira::wb::TWorkbenchSettings settings;
  settings.Read(path, 1920, 1080, 1600);
  common::TIniFile ini(path);
  ini.SetAutoSave(false);
  tesmira::wb::TRepSections sections;
  sections.LoadFromIni(ini);
  sections.UpdateInclusion();
  for (const auto& e : sections.Entries) {
    int32_t width = 0, precision = 0;
    (void)sections.GetNumberFormat(e.id, width, precision);
    (void)sections.IsSectionVisible(e.id, true);
  }
  tesmira::wb::TSimulationChoices choices;
  tesmira::wb::SimulationSettings(ini, true, choices);
  (void)tesmira::wb::ReadLinkWindowPlace(ini, 1920, 1080);
  sections.SaveToIni(ini);
  tesmira::wb::SimulationSettings(ini, false, choices);
  (void)ini.Text();
  settings.Write(path, true);
  return 0;
}
