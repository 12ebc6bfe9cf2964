// JPEG files of pictures, written with libjpeg.
#pragma once

#include <QImage>
#include <string>

// Writes image (any format; converted to 24-bit colour) at quality 0 ... 100;
// false when the file cannot be written.
bool WriteJpeg(const std::string& path, const QImage& image, int quality);
