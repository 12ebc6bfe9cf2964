#include "doc/settings.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QStandardPaths>
#include <filesystem>

#include "ini_file.h"

namespace {

std::string& PathOverride() {
  static std::string path;
  return path;
}

// The file through the INI class. An owner's writes collect in memory and go
// to the file at once when it is closed; a file that cannot be written stays
// as it was.
class TSettingsFile {
 public:
  explicit TSettingsFile(const std::string& path) : ini_(path) { ini_.SetAutoSave(false); }
  ~TSettingsFile() {
    if (changed_) Guard([&] { ini_.UpdateFile(); });
  }
  TSettingsFile(const TSettingsFile&) = delete;
  TSettingsFile& operator=(const TSettingsFile&) = delete;

  std::int32_t Int(const char* section, const std::string& key, std::int32_t def) const {
    return ini_.ReadInteger(section, key, def);
  }
  // The value when it lies in lo ... hi, else the default.
  std::int32_t Int(const char* section, const std::string& key, std::int32_t def, std::int32_t lo,
                   std::int32_t hi) const {
    const std::int32_t v = ini_.ReadInteger(section, key, def);
    return v >= lo && v <= hi ? v : def;
  }
  bool Bool(const char* section, const std::string& key, bool def) const {
    return ini_.ReadBool(section, key, def);
  }
  std::string Str(const char* section, const std::string& key) const {
    return ini_.ReadString(section, key, std::string());
  }

  void Put(const char* section, const std::string& key, std::int32_t v) {
    changed_ = true;
    ini_.WriteInteger(section, key, v);
  }
  void PutBool(const char* section, const std::string& key, bool v) {
    changed_ = true;
    ini_.WriteBool(section, key, v);
  }
  void PutStr(const char* section, const std::string& key, const std::string& v) {
    changed_ = true;
    ini_.WriteString(section, key, v);
  }
  void Delete(const char* section, const std::string& key) {
    changed_ = true;
    ini_.DeleteKey(section, key);
  }

 private:
  template <class F>
  static void Guard(F f) {
    try {
      f();
    } catch (...) {
      // An unwritable settings file is not reported.
    }
  }
  common::TIniFile ini_;
  bool changed_ = false;
};

std::string Key(const char* prefix, int i) { return prefix + std::to_string(i); }

}  // namespace

std::string SettingsFilePath() {
  if (!PathOverride().empty()) return PathOverride();
  namespace fs = std::filesystem;
  fs::path exe;
  if (QCoreApplication::instance()) {
    exe = fs::path(QCoreApplication::applicationFilePath().toStdString());
  } else {
    std::error_code ec;
    exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) exe = "tesplore";
  }
  fs::path file = exe;
  file.replace_extension(".INI");
  const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  if (::access(dir.c_str(), W_OK) == 0) return file.string();
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (config.isEmpty()) return file.string();
  std::error_code ec;
  fs::create_directories(config.toStdString(), ec);
  return (fs::path(config.toStdString()) / file.filename()).string();
}

void SetSettingsFilePath(const std::string& path) { PathOverride() = path; }

TViewSettings ReadViewSettings(const std::string& path) {
  const TSettingsFile f(path);
  TViewSettings s;
  s.PlotType = f.Int("View", "PlotType", 0, 0, 4);
  s.CobwebScale = f.Int("View", "CobwebScale", 0, 0, 2);
  s.AutoBBox = f.Bool("View", "AutoBBox", true);
  s.BBoxType = f.Int("View", "BBoxType", 1, 1, 2);
  s.DensityMode = f.Int("View", "DensityMode", 0, 0, 2);
  s.CrossDensity = f.Bool("View", "CrossDensity", false);
  s.UndoSize = f.Int("Interface", "UndoSize", 13, 0, 100);
  return s;
}

void WriteViewSettings(const std::string& path, const TViewSettings& s) {
  TSettingsFile f(path);
  f.Put("View", "PlotType", s.PlotType);
  f.Put("View", "CobwebScale", s.CobwebScale);
  f.PutBool("View", "AutoBBox", s.AutoBBox);
  f.Put("View", "BBoxType", s.BBoxType);
  f.Put("View", "DensityMode", s.DensityMode);
  f.PutBool("View", "CrossDensity", s.CrossDensity);
  f.Put("Interface", "UndoSize", s.UndoSize);
}

TFrameSettings ReadFrameSettings(const std::string& path) {
  const TSettingsFile f(path);
  TFrameSettings s;
  s.JPEGCompression = f.Int("Export", "JPEGCompression", 50, 0, 100);
  s.NotWindowSize = f.Bool("Export", "NotWindowSize", false);
  s.ImageWidth = f.Int("Export", "ImageWidth", 800, 16, 10000);
  s.ImageHeight = f.Int("Export", "ImageHeight", 600, 16, 10000);
  s.MouseSensitivity = f.Int("Interface", "MouseSensitivity", 5);
  s.SelectionMode = f.Int("Interface", "SelectionMode", 3, 0, 3);
  return s;
}

void WriteFrameSettings(const std::string& path, const TFrameSettings& s) {
  TSettingsFile f(path);
  f.Put("Export", "JPEGCompression", s.JPEGCompression);
  f.PutBool("Export", "NotWindowSize", s.NotWindowSize);
  f.Put("Export", "ImageWidth", s.ImageWidth);
  f.Put("Export", "ImageHeight", s.ImageHeight);
  f.Put("Interface", "MouseSensitivity", s.MouseSensitivity);
  f.Put("Interface", "SelectionMode", s.SelectionMode);
}

TPrintSettings ReadPrintSettings(const std::string& path) {
  const TSettingsFile f(path);
  TPrintSettings s;
  s.Scale = f.Int("Print", "Scale", 90);
  s.HMargin = f.Int("Print", "HMargin", 0);
  s.VMargin = f.Int("Print", "VMargin", 0);
  s.Flags = f.Int("Print", "Flags", 15);
  s.BW = f.Bool("Print", "BW", false);
  return s;
}

void WritePrintSettings(const std::string& path, const TPrintSettings& s) {
  TSettingsFile f(path);
  f.Put("Print", "Scale", s.Scale);
  f.Put("Print", "HMargin", s.HMargin);
  f.Put("Print", "VMargin", s.VMargin);
  f.Put("Print", "Flags", s.Flags);
  f.PutBool("Print", "BW", s.BW);
}

TMainSettings ReadMainSettings(const std::string& path, int screenWidth, int screenHeight,
                               const std::string& fontName, std::int32_t fontSize) {
  const TSettingsFile f(path);
  TMainSettings s;
  TWindowPlacement& p = s.Placement;
  p.Top = f.Int("Window", "Top", -1, -1, screenHeight - 100);
  p.Left = f.Int("Window", "Left", -1, -1, screenWidth - 100);
  if (p.Top != -1 && p.Left != -1) {
    p.Width = f.Int("Window", "Width", -1, 100, 10000);
    p.Height = f.Int("Window", "Height", -1, 100, 10000);
  }
  s.Maximized = f.Bool("Window", "Maximized", false);
  s.Toolbar = f.Bool("Window", "Toolbar", true);
  s.Parameters = f.Bool("Window", "Parameters", true);
  s.RTUpdate = f.Bool("Window", "RTUpdate", true);
  s.OpenDir = f.Str("Misc", "OpenDir");
  const TColorRecord preset = ColorPreset(PresetDefaultColor);
  TColorRecord& c = s.Colors;
  for (int i = 0; i < 20; ++i) {
    c.val[i] = f.Int("Colors", Key("val", i), preset.val[i]);
    c.var[i] = f.Int("Colors", Key("var", i), preset.var[i]);
  }
  for (int i = 0; i < 10; ++i) c.clr[i] = f.Int("Colors", Key("clr", i), preset.clr[i]);
  c.ScattDot = f.Int("Colors", "ScattDot", DefaultScattDot, 1, 20);
  c.ColormapSize = f.Int("Colors", "ColormapSize", DefaultColormapSize, 1, 20);
  for (int i = 0; i < 2; ++i) {
    const std::string name = f.Str("Fonts", Key("Name", i));
    s.Fonts[static_cast<std::size_t>(i)].Name = name.empty() ? fontName : name;
    s.Fonts[static_cast<std::size_t>(i)].Size = f.Int("Fonts", Key("Size", i), fontSize);
  }
  for (int i = 0; i < 4; ++i) s.Mru[static_cast<std::size_t>(i)] = f.Str("MRU", std::to_string(i));
  return s;
}

void WriteMainSettings(const std::string& path, const TMainSettings& s, bool normalState) {
  TSettingsFile f(path);
  f.PutBool("Window", "Maximized", s.Maximized);
  if (normalState) {
    f.Put("Window", "Top", s.Placement.Top);
    f.Put("Window", "Left", s.Placement.Left);
    f.Put("Window", "Width", s.Placement.Width);
    f.Put("Window", "Height", s.Placement.Height);
  }
  f.PutBool("Window", "Toolbar", s.Toolbar);
  f.PutBool("Window", "Parameters", s.Parameters);
  f.PutBool("Window", "RTUpdate", s.RTUpdate);
  f.PutStr("Misc", "OpenDir", s.OpenDir);
  const TColorRecord& c = s.Colors;
  for (int i = 0; i < 20; ++i) {
    f.Put("Colors", Key("val", i), c.val[i]);
    f.Put("Colors", Key("var", i), c.var[i]);
  }
  for (int i = 0; i < 10; ++i) f.Put("Colors", Key("clr", i), c.clr[i]);
  f.Put("Colors", "ScattDot", c.ScattDot);
  f.Put("Colors", "ColormapSize", c.ColormapSize);
  for (int i = 0; i < 2; ++i) {
    f.PutStr("Fonts", Key("Name", i), s.Fonts[static_cast<std::size_t>(i)].Name);
    f.Put("Fonts", Key("Size", i), s.Fonts[static_cast<std::size_t>(i)].Size);
  }
  for (int i = 0; i < 4; ++i) {
    const std::string& entry = s.Mru[static_cast<std::size_t>(i)];
    if (entry.empty())
      f.Delete("MRU", std::to_string(i));
    else
      f.PutStr("MRU", std::to_string(i), entry);
  }
}
