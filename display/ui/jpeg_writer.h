// JPEG files of pictures, written with libjpeg.
#pragma once

#include <QByteArray>
#include <QImage>

// The file's bytes for image (any format; converted to 24-bit colour) at
// quality 0 ... 100; empty when the image is null or libjpeg fails.
QByteArray JpegFile(const QImage& image, int quality);
