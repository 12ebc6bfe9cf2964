// The settings file "Tesvane.ini" in the program's folder. The
// readers below apply the documented defaults; values that would divide by
// zero or allocate nonsense (0 groups, a degree outside its range) read as
// their defaults.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ini_file.h"

namespace tesvane {

using common::ParseInt32;
using common::TIniFile;

// Section and key names.
namespace ini {
inline constexpr const char* RecentFiles = "Recent files";
inline constexpr const char* Parameters = "Parameters";
inline constexpr const char* ListView = "ListView";
inline constexpr const char* GeneralSettings = "General settings";

inline constexpr const char* NoOfRecentFiles = "No of recent files";
inline constexpr const char* MaxNoOfRecentFiles = "Max No of recent files";
inline constexpr const char* NoOfGroups = "No of groups";
inline constexpr const char* LeftWidth = "LeftWidth";
inline constexpr const char* BottomHeight = "Bottomheight";
inline constexpr const char* SamplesForRegressionPlot = "No of samples for regression plot";
inline constexpr const char* MatrixType = "Matrix type";
inline constexpr const char* DegreeMin = "Degree min";
inline constexpr const char* DegreeMax = "Degree max";
inline constexpr const char* DegreeOfPolynomial = "Degree of polynomial";
inline constexpr const char* Precision = "Precision";
inline constexpr const char* NumberFormat = "Number format";
inline constexpr const char* LeftPanelWidth = "LeftPanelWidth";
inline constexpr const char* VariablesPanelWidth = "Variables panel width";
inline constexpr const char* Series1DotSize = "Series1 dot size";
inline constexpr const char* LineSeries1DotSize = "LineSeries1 dot size";
inline constexpr const char* WindowMaximized = "Window maximized";
inline constexpr const char* Width = "Width";
inline constexpr const char* Height = "Height";
inline constexpr const char* Left = "Left";
inline constexpr const char* Top = "Top";
inline constexpr const char* ImportSelected = "Import selected";
inline constexpr const char* DumpFile = "Dump file";
}  // namespace ini

inline constexpr int32_t DefaultGroupCount = 20;
inline constexpr int32_t MaxGroupCount = 100000;
inline constexpr int32_t DefaultDegreeMin = 1;
inline constexpr int32_t DefaultDegreeMax = 10;
inline constexpr int32_t DefaultDegree = 3;
// The largest polynomial degree accepted from the settings: beyond it the
// fit's coefficients in powers of x keep no digits in double precision.
inline constexpr int32_t DegreeLimit = 20;
inline constexpr int32_t RecentFileSlots = 5;
inline constexpr int32_t ResultColumnCount = 16;  // "Col1" .. "Col16" written as defaults
inline constexpr int32_t ShownColumnCount = 14;   // "Col1" .. "Col14" read and written

// ExeFolder + "/Tesvane.ini".
std::string SettingsFileName();

// Writes each missing default (WriteDefaultSettings). The panel
// sizes are the current width of the detailed-results panel and height of the
// chart area.
void WriteDefaultSettings(TIniFile& ini, int32_t leftWidth, int32_t bottomHeight);

// Values read by single users at each use.
int32_t ReadGroupCount(const TIniFile& ini);                // 1..MaxGroupCount, else 20
int32_t ReadSamplesForRegressionPlot(const TIniFile& ini);  // >= 0, else 10000
bool ReadImportSelected(const TIniFile& ini);               // default true

struct TDegreeSettings {
  int32_t Min = DefaultDegreeMin;
  int32_t Max = DefaultDegreeMax;
  int32_t Degree = DefaultDegree;
};
// Range 1 <= Min <= Max <= DegreeLimit, else the defaults 1..10; a degree
// outside the range reads as 3 when 3 lies in it, else as the minimum.
TDegreeSettings ReadDegreeSettings(const TIniFile& ini);

// Everything the main window applies at start.
struct TStartSettings {
  int32_t LeftWidth = 273;
  int32_t BottomHeight = 281;
  int32_t MatrixType = 0;  // 0 product-moment correlation, 1 cofactor
  TDegreeSettings Degree;
  int32_t Precision = 4;     // 1..15
  int32_t NumberFormat = 0;  // 0 General, 1 Scientific
  int32_t LeftPanelWidth = 225;
  int32_t VariablesPanelWidth = 0;  // the designed width unless stored
  int32_t Series1DotSize = 2;       // 1..3
  int32_t LineSeries1DotSize = 2;   // 1..3
  bool WindowMaximized = false;
  int32_t Width = 800, Height = 650, Left = 50, Top = 50;
  int32_t Col0 = 30;
  std::array<int32_t, ShownColumnCount> ColumnWidths{};  // Col1..Col14
  std::array<bool, ShownColumnCount> ColumnShown{};      // ColHide1..ColHide14
};
// `designedColumnWidth` and `designedVariablesPanelWidth` stand in for keys
// that are missing.
TStartSettings ReadStartSettings(const TIniFile& ini, int32_t designedVariablesPanelWidth,
                                 int32_t designedColumnWidth = 70);

// The state the close handler writes, in the documented order.
struct TCloseSettings {
  bool WindowMaximized = false;
  int32_t Width = 800, Height = 650, Left = 50, Top = 50;
  int32_t LeftWidth = 273;
  int32_t BottomHeight = 281;
  int32_t MatrixType = 0;
  int32_t VariablesPanelWidth = 0;
  int32_t Series1DotSize = 2;
  int32_t LineSeries1DotSize = 2;
  int32_t Degree = DefaultDegree;
  int32_t LeftPanelWidth = 225;
  std::vector<std::string> RecentFiles;  // top first
  int32_t Col0 = 30;
  std::array<int32_t, ShownColumnCount> ColumnWidths{};
};
void WriteCloseSettings(TIniFile& ini, const TCloseSettings& state);

// The recent-file list, top first, as the Reopen submenu holds it after
// LoadRecentFiles: File<n> down to File1 each put on top, five slots.
std::vector<std::string> LoadRecentFiles(const TIniFile& ini);
// Puts a path on top of the list (the fifth entry drops out).
void AddToRecentFiles(std::vector<std::string>& list, const std::string& path);
void SaveRecentFiles(TIniFile& ini, const std::vector<std::string>& list);

// What the options dialog saves, in its order; the result
// list's refresh and the track bar are the dialog's own.
struct TOptionsSettings {
  int32_t GroupCount = DefaultGroupCount;
  int32_t Precision = 4;
  int32_t NumberFormat = 0;
  int32_t DegreeMin = DefaultDegreeMin;
  int32_t DegreeMax = DefaultDegreeMax;
  bool ImportSelected = true;
  int32_t SamplesForRegressionPlot = 10000;
  std::array<bool, 12> ColumnShown{};  // columns 3..14
};
void WriteOptionsSettings(TIniFile& ini, const TOptionsSettings& options);

}  // namespace tesvane
