// The workbench's settings file: window layout, list columns, number formats,
// undo depth, recent files and report preferences. The main window fills a
// TWorkbenchSettings with its current values, reads the file over them at
// start and writes them back at exit.
#pragma once

#include <array>
#include <string>

#include "ini_file.h"
#include "number_format.h"
#include "services.h"

namespace tesmira::wb {

// Reading: the stored integer (or the default when missing) when it lies in
// min..max, otherwise the default. Writing: stores the current value.
int IniReadOrWriteInteger(common::TIniFile& ini, bool read, const std::string& section, int max,
                          int min, int defaultValue, int current, const std::string& key);
bool IniReadOrWriteBool(common::TIniFile& ini, bool read, const std::string& section,
                        bool defaultValue, bool current, const std::string& key);

// One object list with its editor frame: the frame's width and the widths of
// the five columns (column 0 is the index column).
struct TListLayout {
  int Split = 0;         // width of the editor frame
  int SplitMinimum = 0;  // the frame's minimum width
  std::array<int, 5> ColWidth{};
  int ColWidthNrTag = 0;  // width the index column returns to when shown again
};

struct TWorkbenchSettings {
  std::string WorkDir;
  // Window position; Top and Left -1 (or either missing) centre the window,
  // and Width and Height are then left at -1.
  int Top = -1, Left = -1, Width = -1, Height = -1;
  bool Maximized = false;
  bool Toolbar = true;
  TListLayout VarList, ForList;
  int ShowPlot = 0;
  // The formula frame's symbol list: filter bits, sort state, sort column
  // (-1 none), view style - 2; SymbColumns is its number of columns.
  int Symb = 1, SymbSortAsc = 2, SymbSort = -1, SymbReport = 0, SymbColumns = 5;
  TDisplaySettings Display;
  int Undo = 13;
  bool ShowObjIdx = true;
  std::array<std::string, 4> Mru;
  int TreeSort = 2;
  bool WordWrap = false;

  // Reads the file over the current values. The screen size bounds the
  // window position; clientWidth bounds the two frames' widths.
  void Read(const std::string& iniPath, int screenWidth, int screenHeight, int clientWidth);
  // Writes every value; normalWindow: the window is in its normal state, so
  // its position is written. Keys of other sections stay. False when the
  // file can not be written.
  bool Write(const std::string& iniPath, bool normalWindow) const;
};

// Writes the settings at exit (Write); when the file can not be written the
// user is told so, once, through the prompt. False in that case.
bool WriteSettingsAtExit(IPrompt& prompt, const TWorkbenchSettings& settings,
                         const std::string& iniPath, bool normalWindow);

}  // namespace tesmira::wb
