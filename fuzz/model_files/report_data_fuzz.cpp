// The report-data interface over an output file opened from any bytes: every
// section's information, every table's shape (section 22 once per output)
// and every cell, by position and by a name looked up.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_input_file.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/report.h"

namespace {

void Cells(int id, int selected, int rows, int columns) {
  rows = std::clamp(rows, 0, 400);
  columns = std::clamp(columns, 0, 60);
  for (int r = 0; r <= rows; ++r)
    for (int c = 0; c <= columns; ++c) {
      TRepObjectData d{};
      d.sectionId = static_cast<uint8_t>(id);
      d.selectedOutput = selected;
      d.row = r;
      d.column = c;
      Rep_get_object_data(&d);
    }
  TRepObjectData byName{};
  byName.sectionId = static_cast<uint8_t>(id);
  byName.text[0] = 1;
  byName.text[1] = 'a';
  Rep_get_object_data(&byName);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInputFile("f.tso", data, size);
  Init_data();
  if (LoadTSMFile(path.c_str(), TsmOpen) > 0) {
    for (int id = 0; id <= 23; ++id) {
      TRepSectionInfo info{};
      info.sectionId = static_cast<uint8_t>(id);
      Rep_get_section_info(&info);
      (void)Rep_get_next_section(id);
      TRepTableInfo table{};
      table.sectionId = static_cast<uint8_t>(id);
      table.selectedOutput = 1;
      if (Rep_get_table_info(&table) != 1) {
        Cells(id, 0, 2, 2);
        continue;
      }
      Cells(id, 1, table.rows, table.columns);
      for (int output = 2; id == 22 && output <= 8; ++output) {
        TRepTableInfo more{};
        more.sectionId = 22;
        more.selectedOutput = output;
        if (Rep_get_table_info(&more) == 1) Cells(id, output, more.rows, more.columns);
      }
    }
  }
  End_data();
  return 0;
}
