#include "settings.h"

#include "utilities.h"

namespace tesmira::wb {

int IniReadOrWriteInteger(common::TIniFile& ini, bool read, const std::string& section, int max,
                          int min, int defaultValue, int current, const std::string& key) {
  if (!read) {
    ini.WriteInteger(section, key, current);
    return current;
  }
  return InRangeOr(ini.ReadInteger(section, key, defaultValue), defaultValue, min, max);
}

bool IniReadOrWriteBool(common::TIniFile& ini, bool read, const std::string& section,
                        bool defaultValue, bool current, const std::string& key) {
  if (!read) {
    ini.WriteBool(section, key, current);
    return current;
  }
  return ini.ReadBool(section, key, defaultValue);
}

namespace {

int ReadClamped(const common::TIniFile& ini, const char* section, const std::string& key, int def,
                int min, int max) {
  return ClampInt(ini.ReadInteger(section, key, def), min, max);
}

void ReadList(const common::TIniFile& ini, const char* section, TListLayout& list, int clientWidth,
              int firstColumn) {
  list.Split =
      ReadClamped(ini, section, "Split", list.Split, list.SplitMinimum, clientWidth * 7 / 8);
  list.ColWidth[0] = ReadClamped(ini, section, "ColWidthNr", list.ColWidth[0], 10, 600);
  list.ColWidthNrTag = list.ColWidth[0];
  for (int c = firstColumn; c <= 4; ++c)
    list.ColWidth[c] =
        ReadClamped(ini, section, "ColWidth" + std::to_string(c), list.ColWidth[c], 10, 600);
}

}  // namespace

void TWorkbenchSettings::Read(const std::string& iniPath, int screenWidth, int screenHeight,
                              int clientWidth) {
  common::TIniFile ini(iniPath);
  WorkDir = ini.ReadString("General", "WorkDir", "");

  Top = ReadClamped(ini, "Window", "Top", -1, -1, screenHeight - 100);
  Left = ReadClamped(ini, "Window", "Left", -1, -1, screenWidth - 100);
  if (Top != -1 && Left != -1) {
    Width = ReadClamped(ini, "Window", "Width", -1, 100, 10000);
    Height = ReadClamped(ini, "Window", "Height", -1, 100, 10000);
  } else {
    Top = Left = Width = Height = -1;
  }
  Maximized = ini.ReadBool("Window", "Maximized", false);
  Toolbar = ini.ReadBool("Window", "Toolbar", true);

  ReadList(ini, "VarWindow", VarList, clientWidth, 1);
  ReadList(ini, "ForWindow", ForList, clientWidth, 0);

  for (int i = 0; i < 4; ++i) Mru[i] = ini.ReadString("MRU", std::to_string(i + 1), "");

  Display.quantperdistrib =
      ReadClamped(ini, "Options", "quantperdistrib", Display.quantperdistrib, 0, 2);
  Display.fpformat = ReadClamped(ini, "Options", "fpformat", Display.fpformat, 0, 2);
  Display.fpwidth = ReadClamped(ini, "Options", "fpwidth", Display.fpwidth, 0, 20);
  Display.fpprecision = ReadClamped(ini, "Options", "fpprecision", Display.fpprecision, 0, 18);
  Display.fpprecisionCMX =
      ReadClamped(ini, "Options", "fpprecisionCMX", Display.fpprecisionCMX, 0, 4);
  // The Options dialog offers 0..100; a larger depth would only allocate a
  // huge ring.
  Undo = ReadClamped(ini, "Options", "undo", Undo, 0, 100);
  ShowObjIdx = ini.ReadBool("Options", "ShowObjIdx", true);

  ShowPlot = ReadClamped(ini, "VarWindow", "ShowPlot", 0, 0, 1);
  Symb = ini.ReadInteger("ForWindow", "Symb", 1);
  SymbSortAsc = ini.ReadInteger("ForWindow", "SymbSortAsc", 2) % 4;
  SymbSort = ini.ReadInteger("ForWindow", "SymbSort", -1);
  if (SymbSort < 0 || SymbSort >= SymbColumns) SymbSort = -1;
  SymbReport = ini.ReadInteger("ForWindow", "SymbReport", 0);
  TreeSort = ReadClamped(ini, "DepWindow", "TreeSort", 2, 0, 2);
  WordWrap = ini.ReadBool("Report", "WordWrap", false);
}

bool TWorkbenchSettings::Write(const std::string& iniPath, bool normalWindow) const {
  common::TIniFile ini(iniPath);
  ini.SetAutoSave(false);
  ini.WriteString("General", "WorkDir", WorkDir);
  ini.WriteBool("Window", "Maximized", Maximized);
  if (normalWindow) {
    ini.WriteInteger("Window", "Top", Top);
    ini.WriteInteger("Window", "Left", Left);
    ini.WriteInteger("Window", "Width", Width);
    ini.WriteInteger("Window", "Height", Height);
  }
  ini.WriteBool("Window", "Toolbar", Toolbar);
  const std::pair<const char*, const TListLayout*> lists[] = {{"VarWindow", &VarList},
                                                              {"ForWindow", &ForList}};
  for (auto [section, list] : lists)
    ini.WriteInteger(section, "ColWidthNr",
                     list->ColWidth[0] != 0 ? list->ColWidth[0] : list->ColWidthNrTag);
  for (auto [section, list] : lists)
    for (int c = 0; c <= 4; ++c)
      ini.WriteInteger(section, "ColWidth" + std::to_string(c), list->ColWidth[c]);
  for (auto [section, list] : lists) ini.WriteInteger(section, "Split", list->Split);
  for (int i = 0; i < 4; ++i) {
    std::string key = std::to_string(i + 1);
    if (Mru[i].empty()) {
      ini.DeleteKey("MRU", key);
    } else {
      ini.WriteString("MRU", key, Mru[i]);
    }
  }
  ini.WriteInteger("Options", "quantperdistrib", Display.quantperdistrib);
  ini.WriteInteger("Options", "fpformat", Display.fpformat);
  ini.WriteInteger("Options", "fpwidth", Display.fpwidth);
  ini.WriteInteger("Options", "fpprecision", Display.fpprecision);
  ini.WriteInteger("Options", "fpprecisionCMX", Display.fpprecisionCMX);
  ini.WriteInteger("Options", "undo", Undo);
  ini.WriteBool("Options", "ShowObjIdx", ShowObjIdx);
  ini.WriteInteger("VarWindow", "ShowPlot", ShowPlot);
  ini.WriteInteger("ForWindow", "Symb", Symb);
  ini.WriteInteger("ForWindow", "SymbSortAsc", SymbSortAsc);
  ini.WriteInteger("ForWindow", "SymbSort", SymbSort);
  ini.WriteInteger("ForWindow", "SymbReport", SymbReport);
  ini.WriteInteger("DepWindow", "TreeSort", TreeSort);
  ini.WriteBool("Report", "WordWrap", WordWrap);
  try {
    ini.UpdateFile();
  } catch (const common::EIniFileError&) {
    return false;
  }
  return true;
}

bool WriteSettingsAtExit(IPrompt& prompt, const TWorkbenchSettings& settings,
                         const std::string& iniPath, bool normalWindow) {
  if (settings.Write(iniPath, normalWindow)) return true;
  prompt.Show(TMessageKind::Warning,
              "The settings could not be saved: there was a problem writing the file " + iniPath);
  return false;
}

}  // namespace tesmira::wb
