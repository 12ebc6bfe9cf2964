// Palette files (".pal"): a colour set saved from the colour dialog.
#pragma once

#include <string>

#include "doc/color_record.h"

// Writes levels, dot size, the 20 colour-map and variable colours and element
// colours 0 ... 8 as 52 CR LF lines; false when the file cannot be written.
bool WritePaletteFile(const std::string& path, const TColorRecord& colors);

// Reads a palette file over colors: values the file does not supply keep what
// colors held. False (colors untouched) when the file cannot be opened, its
// version line is unreadable or its version is 2.0 or more.
bool ReadPaletteFile(const std::string& path, TColorRecord& colors);
