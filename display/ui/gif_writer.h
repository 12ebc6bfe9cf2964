// GIF89a files of one image with a 256-entry colour table, LZW-compressed.
#pragma once

#include <QByteArray>
#include <QImage>

// The file's bytes for the picture; more than 256 colours are reduced to the
// nearest of a 256-colour table. Empty when the picture is null or too large
// for the format (over 65535 pixels a side).
QByteArray GifFile(const QImage& picture);
