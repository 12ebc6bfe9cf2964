// The display program's settings file, "tesplore.INI" beside the executable.
// Four owners read and write their own sections, each opening the file by
// itself: the main window (Window, Misc, Colors, Fonts, MRU), the document
// (View, Interface/UndoSize), the plot frame (Export, Interface/
// MouseSensitivity and SelectionMode) and the print dialog (Print). Values out
// of range are replaced as they are read; a file that cannot be written is
// left as it is without a report.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "doc/color_record.h"

// The file: the executable's path with the extension ".INI"; when that folder
// is not writable, the same name in the user's configuration folder.
std::string SettingsFilePath();
// Points every owner at another file (tests); an empty path restores the default.
void SetSettingsFilePath(const std::string& path);

struct TViewSettings {
  std::int32_t PlotType = 0;
  std::int32_t CobwebScale = 0;
  bool AutoBBox = true;
  std::int32_t BBoxType = 1;
  std::int32_t DensityMode = 0;
  bool CrossDensity = false;
  std::int32_t UndoSize = 13;
};
TViewSettings ReadViewSettings(const std::string& path);
void WriteViewSettings(const std::string& path, const TViewSettings& s);

struct TFrameSettings {
  std::int32_t JPEGCompression = 50;
  bool NotWindowSize = false;
  std::int32_t ImageWidth = 800;
  std::int32_t ImageHeight = 600;
  std::int32_t MouseSensitivity = 5;
  std::int32_t SelectionMode = 3;
};
TFrameSettings ReadFrameSettings(const std::string& path);
void WriteFrameSettings(const std::string& path, const TFrameSettings& s);

struct TPrintSettings {
  std::int32_t Scale = 90;
  std::int32_t HMargin = 0;
  std::int32_t VMargin = 0;
  std::int32_t Flags = 15;
  bool BW = false;
};
TPrintSettings ReadPrintSettings(const std::string& path);
void WritePrintSettings(const std::string& path, const TPrintSettings& s);

// Window placement; -1 = not stored. Top and Left are the frame's top-left
// corner on the screen, Width and Height the size of the client area (the
// frame's size is not known before the window manager has framed the window).
struct TWindowPlacement {
  std::int32_t Top = -1;
  std::int32_t Left = -1;
  std::int32_t Width = -1;
  std::int32_t Height = -1;
  // All four stored and accepted: the window goes there; else it is centred.
  bool Placed() const { return Top != -1 && Left != -1 && Width != -1 && Height != -1; }
};

struct TFontSetting {
  std::string Name;
  std::int32_t Size = 0;
};

struct TMainSettings {
  TWindowPlacement Placement;
  bool Maximized = false;
  bool Toolbar = true;
  bool Parameters = true;
  bool RTUpdate = true;
  std::string OpenDir;
  TColorRecord Colors = ColorPreset(PresetDefaultColor);
  std::array<TFontSetting, 2> Fonts;
  std::array<std::string, 4> Mru;
};
// Reads the main window's sections for a screen of the given size; the fonts
// default to the given name and size.
TMainSettings ReadMainSettings(const std::string& path, int screenWidth, int screenHeight,
                               const std::string& fontName, std::int32_t fontSize);
// Writes them; the placement only when normalState (a maximised or minimised
// window keeps the last normal placement). An empty recent-file entry deletes
// its key.
void WriteMainSettings(const std::string& path, const TMainSettings& s, bool normalState);
