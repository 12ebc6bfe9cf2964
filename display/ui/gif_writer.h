// GIF89a files of one image with a 256-entry colour table, LZW-compressed.
#pragma once

#include <QImage>
#include <string>

// Writes the picture; more than 256 colours are reduced to the nearest of a
// 256-colour table. False when the file cannot be written.
bool WriteGif(const std::string& path, const QImage& picture);
