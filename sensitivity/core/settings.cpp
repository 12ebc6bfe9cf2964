#include "settings.h"

#include "sample_store.h"

namespace tesvane {

std::string SettingsFileName() {
  if (ExeFolder.empty()) return "Tesvane.ini";
  std::string folder = ExeFolder;
  if (folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder + "Tesvane.ini";
}

void WriteDefaultSettings(TIniFile& ini, int32_t leftWidth, int32_t bottomHeight) {
  using namespace ini;
  if (!ini.ValueExists(RecentFiles, NoOfRecentFiles)) {
    ini.WriteInteger(RecentFiles, NoOfRecentFiles, 0);
    ini.WriteString(RecentFiles, "File1", DumpFile);
  }
  if (!ini.ValueExists(RecentFiles, MaxNoOfRecentFiles))
    ini.WriteInteger(RecentFiles, MaxNoOfRecentFiles, RecentFileSlots);
  if (!ini.ValueExists(Parameters, NoOfGroups))
    ini.WriteInteger(Parameters, NoOfGroups, DefaultGroupCount);
  if (!ini.ValueExists(Parameters, ini::LeftWidth)) {
    ini.WriteInteger(Parameters, ini::LeftWidth, leftWidth);
    ini.WriteInteger(Parameters, ini::BottomHeight, bottomHeight);
  }
  if (!ini.ValueExists(Parameters, SamplesForRegressionPlot))
    ini.WriteInteger(Parameters, SamplesForRegressionPlot, 10000);
  if (!ini.ValueExists(Parameters, ini::MatrixType))
    ini.WriteInteger(Parameters, ini::MatrixType, 0);
  if (!ini.SectionExists(ListView)) {
    ini.WriteInteger(ListView, "Col0", 30);
    for (int i = 1; i <= ResultColumnCount; ++i)
      ini.WriteInteger(ListView, "Col" + std::to_string(i), 70);
  }
  if (!ini.ValueExists(Parameters, DegreeMin)) {
    ini.WriteInteger(Parameters, DegreeMin, DefaultDegreeMin);
    ini.WriteInteger(Parameters, DegreeMax, DefaultDegreeMax);
  }
}

int32_t ReadGroupCount(const TIniFile& ini) {
  int32_t g = ini.ReadInteger(ini::Parameters, ini::NoOfGroups, DefaultGroupCount);
  return (g < 1 || g > MaxGroupCount) ? DefaultGroupCount : g;
}

int32_t ReadSamplesForRegressionPlot(const TIniFile& ini) {
  int32_t s = ini.ReadInteger(ini::Parameters, ini::SamplesForRegressionPlot, 10000);
  return s < 0 ? 10000 : s;
}

bool ReadImportSelected(const TIniFile& ini) {
  return ini.ReadBool(ini::GeneralSettings, ini::ImportSelected, true);
}

TDegreeSettings ReadDegreeSettings(const TIniFile& ini) {
  TDegreeSettings d;
  int32_t lo = ini.ReadInteger(ini::Parameters, ini::DegreeMin, DefaultDegreeMin);
  int32_t hi = ini.ReadInteger(ini::Parameters, ini::DegreeMax, DefaultDegreeMax);
  if (lo >= 1 && lo <= hi && hi <= DegreeLimit) {
    d.Min = lo;
    d.Max = hi;
  }
  int32_t deg = ini.ReadInteger(ini::Parameters, ini::DegreeOfPolynomial, DefaultDegree);
  if (deg < d.Min || deg > d.Max)
    deg = (DefaultDegree >= d.Min && DefaultDegree <= d.Max) ? DefaultDegree : d.Min;
  d.Degree = deg;
  return d;
}

namespace {
int32_t ReadInRange(const TIniFile& ini, const char* section, const char* key, int32_t def,
                    int32_t lo, int32_t hi) {
  int32_t v = ini.ReadInteger(section, key, def);
  return (v < lo || v > hi) ? def : v;
}
}  // namespace

TStartSettings ReadStartSettings(const TIniFile& ini, int32_t designedVariablesPanelWidth,
                                 int32_t designedColumnWidth) {
  using namespace ini;
  TStartSettings s;
  s.LeftWidth = ini.ReadInteger(Parameters, ini::LeftWidth, 273);
  s.BottomHeight = ini.ReadInteger(Parameters, ini::BottomHeight, 281);
  s.MatrixType = ReadInRange(ini, Parameters, ini::MatrixType, 0, 0, 1);
  s.Degree = ReadDegreeSettings(ini);
  s.Precision = ReadInRange(ini, Parameters, ini::Precision, 4, 1, 15);
  s.NumberFormat = ReadInRange(ini, Parameters, ini::NumberFormat, 0, 0, 1);
  s.LeftPanelWidth = ini.ReadInteger(Parameters, ini::LeftPanelWidth, 225);
  s.VariablesPanelWidth =
      ini.ReadInteger(Parameters, ini::VariablesPanelWidth, designedVariablesPanelWidth);
  s.Series1DotSize = ReadInRange(ini, Parameters, ini::Series1DotSize, 2, 1, 3);
  s.LineSeries1DotSize = ReadInRange(ini, Parameters, ini::LineSeries1DotSize, 2, 1, 3);
  s.WindowMaximized = ini.ReadBool(Parameters, ini::WindowMaximized, false);
  s.Width = ini.ReadInteger(Parameters, ini::Width, 800);
  s.Height = ini.ReadInteger(Parameters, ini::Height, 650);
  s.Left = ini.ReadInteger(Parameters, ini::Left, 50);
  s.Top = ini.ReadInteger(Parameters, ini::Top, 50);
  s.Col0 = ini.ReadInteger(ListView, "Col0", 30);
  for (int i = 0; i < ShownColumnCount; ++i) {
    s.ColumnWidths[static_cast<size_t>(i)] =
        ini.ReadInteger(ListView, "Col" + std::to_string(i + 1), designedColumnWidth);
    s.ColumnShown[static_cast<size_t>(i)] =
        ini.ReadBool(ListView, "ColHide" + std::to_string(i + 1), true);
  }
  return s;
}

void WriteCloseSettings(TIniFile& ini, const TCloseSettings& c) {
  using namespace ini;
  WriteDefaultSettings(ini, c.LeftWidth, c.BottomHeight);
  ini.WriteBool(Parameters, ini::WindowMaximized, c.WindowMaximized);
  ini.WriteInteger(Parameters, ini::Width, c.Width);
  ini.WriteInteger(Parameters, ini::Height, c.Height);
  ini.WriteInteger(Parameters, ini::Left, c.Left);
  ini.WriteInteger(Parameters, ini::Top, c.Top);
  ini.WriteInteger(Parameters, ini::LeftWidth, c.LeftWidth);
  ini.WriteInteger(Parameters, ini::BottomHeight, c.BottomHeight);
  ini.WriteInteger(Parameters, ini::MatrixType, c.MatrixType);
  ini.WriteInteger(Parameters, ini::VariablesPanelWidth, c.VariablesPanelWidth);
  ini.WriteInteger(Parameters, ini::Series1DotSize, c.Series1DotSize);
  ini.WriteInteger(Parameters, ini::LineSeries1DotSize, c.LineSeries1DotSize);
  ini.WriteInteger(Parameters, ini::DegreeOfPolynomial, c.Degree);
  ini.WriteInteger(Parameters, ini::LeftPanelWidth, c.LeftPanelWidth);
  SaveRecentFiles(ini, c.RecentFiles);
  ini.WriteInteger(ListView, "Col0", c.Col0);
  for (int i = 0; i < ShownColumnCount; ++i)
    ini.WriteInteger(ListView, "Col" + std::to_string(i + 1),
                     c.ColumnWidths[static_cast<size_t>(i)]);
}

void AddToRecentFiles(std::vector<std::string>& list, const std::string& path) {
  list.insert(list.begin(), path);
  if (list.size() > static_cast<size_t>(RecentFileSlots)) list.resize(RecentFileSlots);
}

std::vector<std::string> LoadRecentFiles(const TIniFile& ini) {
  std::vector<std::string> list;
  int32_t n = ini.ReadInteger(ini::RecentFiles, ini::NoOfRecentFiles, 0);
  // Only the first five entries can survive; reading further ones is useless.
  if (n > RecentFileSlots) n = RecentFileSlots;
  for (int32_t i = n; i >= 1; --i)
    AddToRecentFiles(list,
                     ini.ReadString(ini::RecentFiles, "File" + std::to_string(i), ini::DumpFile));
  return list;
}

void SaveRecentFiles(TIniFile& ini, const std::vector<std::string>& list) {
  int32_t n = ini.ReadInteger(ini::RecentFiles, ini::NoOfRecentFiles, 0);
  if (n > 100000) n = 100000;
  for (int32_t i = 1; i <= n; ++i) ini.DeleteKey(ini::RecentFiles, "File" + std::to_string(i));
  for (size_t k = 0; k < list.size(); ++k)
    ini.WriteString(ini::RecentFiles, "File" + std::to_string(k + 1), list[k]);
  ini.WriteInteger(ini::RecentFiles, ini::NoOfRecentFiles, static_cast<int32_t>(list.size()));
}

void WriteOptionsSettings(TIniFile& ini, const TOptionsSettings& o) {
  using namespace ini;
  ini.WriteInteger(Parameters, NoOfGroups, o.GroupCount);
  ini.WriteInteger(Parameters, ini::Precision, o.Precision);
  ini.WriteInteger(Parameters, ini::NumberFormat, o.NumberFormat);
  int32_t lo = o.DegreeMin == 0 ? 1 : o.DegreeMin;
  int32_t hi = o.DegreeMax;
  if (lo > hi) std::swap(lo, hi);
  ini.WriteInteger(Parameters, DegreeMin, lo);
  ini.WriteInteger(Parameters, DegreeMax, hi);
  ini.WriteBool(GeneralSettings, ImportSelected, o.ImportSelected);
  ini.WriteInteger(Parameters, SamplesForRegressionPlot, o.SamplesForRegressionPlot);
  for (size_t k = 0; k < o.ColumnShown.size(); ++k)
    ini.WriteBool(ListView, "ColHide" + std::to_string(k + 3), o.ColumnShown[k]);
}

}  // namespace tesvane
