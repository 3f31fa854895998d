#pragma once
// Pictures the build has already decoded: the window's pictures are stored in the program
// as the very pixels Qt's own decoder made of the designed files, so start-up copies them
// instead of decoding. The layout, all numbers little-endian:
//   "BMIPIX01"  width (u32)  height (u32)  QImage::Format (u32)  bytes per line (u32)
//   then height rows of bytes-per-line bytes.
// Only 32-bit formats without a colour table are stored.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace bmi {

// The stored form of image; empty when image is not in a format that can be stored.
QByteArray encodePictureData(const QImage& image);

// The image stored in data; a null image when data is not a whole, well-formed picture.
QImage decodePictureData(QByteArrayView data);

} // namespace bmi
