#include "platform/PictureData.h"

#include <QtEndian>

#include <array>
#include <cstring>

namespace bmi {

namespace {

constexpr char kMagic[] = "BMIPIX01";
constexpr qsizetype kMagicSize = sizeof kMagic - 1;
constexpr qsizetype kHeaderSize = kMagicSize + 4 * 4;
// Far beyond any picture of ours; keeps the size arithmetic below well inside 64 bits.
constexpr quint32 kMaxSide = 1 << 14;

constexpr std::array kStoredFormats{QImage::Format_RGB32, QImage::Format_ARGB32,
                                    QImage::Format_ARGB32_Premultiplied};

bool isStoredFormat(quint32 format) {
    for (QImage::Format f : kStoredFormats)
        if (format == static_cast<quint32>(f))
            return true;
    return false;
}

quint32 wordAt(QByteArrayView data, qsizetype index) {
    return qFromLittleEndian<quint32>(data.data() + kMagicSize + 4 * index);
}

void appendWord(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

QByteArray encodePictureData(const QImage& image) {
    if (image.isNull() || !isStoredFormat(image.format()) ||
        static_cast<quint32>(image.width()) > kMaxSide ||
        static_cast<quint32>(image.height()) > kMaxSide)
        return {};
    const qsizetype rowBytes = qsizetype(image.width()) * 4;
    QByteArray out(kMagic, kMagicSize);
    appendWord(out, static_cast<quint32>(image.width()));
    appendWord(out, static_cast<quint32>(image.height()));
    appendWord(out, static_cast<quint32>(image.format()));
    appendWord(out, static_cast<quint32>(rowBytes));
    for (int y = 0; y < image.height(); ++y)
        out.append(reinterpret_cast<const char*>(image.constScanLine(y)), rowBytes);
    return out;
}

QImage decodePictureData(QByteArrayView data) {
    if (data.size() < kHeaderSize || std::memcmp(data.data(), kMagic, kMagicSize) != 0)
        return {};
    const quint32 width = wordAt(data, 0);
    const quint32 height = wordAt(data, 1);
    const quint32 format = wordAt(data, 2);
    const quint32 rowBytes = wordAt(data, 3);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        !isStoredFormat(format) || rowBytes != width * 4 ||
        data.size() != kHeaderSize + qsizetype(rowBytes) * height)
        return {};
    // Copied into an image of its own: the stored rows need not be aligned as QImage
    // wants its pixels.
    QImage image(static_cast<int>(width), static_cast<int>(height),
                 static_cast<QImage::Format>(format));
    if (image.isNull())
        return {};
    const char* row = data.data() + kHeaderSize;
    for (int y = 0; y < image.height(); ++y, row += rowBytes)
        std::memcpy(image.scanLine(y), row, rowBytes);
    return image;
}

} // namespace bmi
