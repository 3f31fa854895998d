// The pictures compiled into the program: they must be in the formats the window's icon,
// the calculator button and the advert expect, byte for byte where a format says so.
#include "platform/PictureData.h"
#include "resources/Resources.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QString>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

namespace {

class ResourcesTest : public testing::Test {
protected:
    static void SetUpTestSuite() { bmi::initResources(); }
};

QByteArray readResource(const char* path) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::uint32_t le16(const QByteArray& data, qsizetype at) {
    if (at < 0 || at + 2 > data.size())
        return 0xFFFFFFFFu;
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData()) + at;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}

std::uint32_t le32(const QByteArray& data, qsizetype at) {
    if (at < 0 || at + 4 > data.size())
        return 0xFFFFFFFFu;
    return le16(data, at) | le16(data, at + 2) << 16;
}

std::uint32_t byteAt(const QByteArray& data, qsizetype at) {
    if (at < 0 || at >= data.size())
        return 0xFFFFFFFFu;
    return static_cast<unsigned char>(data[at]);
}

// A BITMAPINFOHEADER at `at`: one plane, uncompressed (BI_RGB), of this size and depth.
void expectBitmapInfo(const QByteArray& data, qsizetype at, std::uint32_t width,
                      std::uint32_t height, std::uint32_t bits) {
    EXPECT_EQ(le32(data, at), 40u);
    EXPECT_EQ(le32(data, at + 4), width);
    EXPECT_EQ(le32(data, at + 8), height);
    EXPECT_EQ(le16(data, at + 12), 1u);
    EXPECT_EQ(le16(data, at + 14), bits);
    EXPECT_EQ(le32(data, at + 16), 0u);
}

// Walks a GIF's blocks and counts its image descriptors; nullopt if the stream is cut
// short or holds a block that no GIF may hold.
std::optional<int> gifFrameCount(const QByteArray& gif) {
    qsizetype at = 13;
    const std::uint32_t packed = byteAt(gif, 10);
    if (packed == 0xFFFFFFFFu)
        return std::nullopt;
    if (packed & 0x80)
        at += 3 * (qsizetype(2) << (packed & 7));
    auto skipSubBlocks = [&gif](qsizetype pos) -> qsizetype {
        while (true) {
            const std::uint32_t len = byteAt(gif, pos);
            if (len == 0xFFFFFFFFu)
                return -1;
            ++pos;
            if (len == 0)
                return pos;
            pos += len;
        }
    };
    int frames = 0;
    while (true) {
        const std::uint32_t kind = byteAt(gif, at);
        if (kind == 0x3B)
            return frames;
        if (kind == 0x21) {
            at = skipSubBlocks(at + 2);
        } else if (kind == 0x2C) {
            const std::uint32_t local = byteAt(gif, at + 9);
            if (local == 0xFFFFFFFFu)
                return std::nullopt;
            at += 10;
            if (local & 0x80)
                at += 3 * (qsizetype(2) << (local & 7));
            at = skipSubBlocks(at + 1); // after the LZW minimum code size
            ++frames;
        } else {
            return std::nullopt;
        }
        if (at < 0)
            return std::nullopt;
    }
}

struct PictureRow {
    const char* path;
    const char* format; // as QImageReader names it
    int width;
    int height;
    qsizetype bytes; // 0: any size
};

void PrintTo(const PictureRow& row, std::ostream* os) {
    *os << row.path;
}

// A resource path as a test name: ":/advert@2x.pixels" is advert_2x_pixels.
std::string testName(const char* path) {
    std::string name = path + 2;
    for (char& c : name)
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

class PictureTest : public ResourcesTest, public testing::WithParamInterface<PictureRow> {};

TEST_P(PictureTest, IsCompiledInAndDecodesAtItsSize) {
    const PictureRow& row = GetParam();
    const QByteArray data = readResource(row.path);
    ASSERT_FALSE(data.isEmpty()) << row.path << " is not in the compiled resources";
    if (row.bytes != 0) {
        EXPECT_EQ(data.size(), row.bytes);
    }

    QImageReader reader(QString::fromLatin1(row.path));
    EXPECT_EQ(reader.format(), QByteArray(row.format));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.width(), row.width);
    EXPECT_EQ(image.height(), row.height);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureTest,
                         testing::Values(PictureRow{":/BMI-Trevala.ico", "ico", 32, 32, 766},
                                         PictureRow{":/calculator.gif", "gif", 16, 18, 0},
                                         PictureRow{":/advert.bmp", "bmp", 297, 114, 101742},
                                         PictureRow{":/bmi-trevala-48.png", "png", 48, 48, 0},
                                         PictureRow{":/BMI-Trevala.png", "png", 32, 32, 0},
                                         PictureRow{":/calculator.png", "png", 16, 18, 0}),
                         [](const testing::TestParamInfo<PictureRow>& info) {
                             return testName(info.param.path);
                         });

QImage decoded(const char* path) {
    const QString name = QString::fromLatin1(path);
    const QImage image = name.endsWith(QLatin1String(".pixels"))
                             ? bmi::decodePictureData(readResource(path))
                             : QImage(name);
    return image.convertToFormat(QImage::Format_ARGB32);
}

TEST_F(ResourcesTest, StartUpCopiesMatchTheDesignedPicturesPixelForPixel) {
    for (const auto& [designed, copy] : {std::pair{":/BMI-Trevala.ico", ":/BMI-Trevala.png"},
                                         std::pair{":/calculator.gif", ":/calculator.png"},
                                         std::pair{":/BMI-Trevala.ico", ":/BMI-Trevala.pixels"},
                                         std::pair{":/calculator.gif", ":/calculator.pixels"},
                                         std::pair{":/advert.bmp", ":/advert.pixels"}}) {
        const QImage a = decoded(designed);
        ASSERT_FALSE(a.isNull()) << designed;
        EXPECT_EQ(a, decoded(copy)) << copy;
    }
}

// The high-density variants: the same drawing at exactly twice the size, drawn again at
// that size rather than each pixel doubled, which would be no sharper than Qt's own
// enlarging.
struct DenseRow {
    const char* picture;
    const char* dense;
    QSize size;
};

void PrintTo(const DenseRow& row, std::ostream* os) {
    *os << row.dense;
}

class DenseTest : public ResourcesTest, public testing::WithParamInterface<DenseRow> {};

TEST_P(DenseTest, IsTwiceTheSizeAndDrawnAgain) {
    const DenseRow& row = GetParam();
    const QImage picture = decoded(row.picture);
    const QImage dense = decoded(row.dense);
    ASSERT_EQ(picture.size(), row.size);
    ASSERT_EQ(dense.size(), row.size * 2);
    QImage doubled(dense.size(), QImage::Format_ARGB32);
    for (int y = 0; y < dense.height(); ++y)
        for (int x = 0; x < dense.width(); ++x)
            doubled.setPixel(x, y, picture.pixel(x / 2, y / 2));
    EXPECT_NE(dense, doubled);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, DenseTest,
    testing::Values(DenseRow{":/calculator.pixels", ":/calculator@2x.pixels", QSize(16, 18)},
                    DenseRow{":/advert.pixels", ":/advert@2x.pixels", QSize(297, 114)}),
    [](const testing::TestParamInfo<DenseRow>& info) { return testName(info.param.dense); });

TEST_F(ResourcesTest, IconHoldsOneSixteenColourImage) {
    const QByteArray ico = readResource(":/BMI-Trevala.ico");
    ASSERT_EQ(ico.size(), 766);
    // ICONDIR: reserved, type 1 (icon), one image.
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u);
    EXPECT_EQ(le16(ico, 4), 1u);
    // Its directory entry: 32x32, 16 colours, one plane, 4 bits, the rest of the file.
    EXPECT_EQ(byteAt(ico, 6), 32u);
    EXPECT_EQ(byteAt(ico, 7), 32u);
    EXPECT_EQ(byteAt(ico, 8), 16u);
    EXPECT_EQ(le16(ico, 10), 1u);
    EXPECT_EQ(le16(ico, 12), 4u);
    const std::uint32_t imageBytes = le32(ico, 14);
    const std::uint32_t imageAt = le32(ico, 18);
    EXPECT_EQ(imageAt, 22u);
    EXPECT_EQ(imageAt + imageBytes, 766u);
    // The image itself, whose height counts colour and mask rows.
    expectBitmapInfo(ico, 22, 32, 64, 4);
}

TEST_F(ResourcesTest, IconIsTransparentAroundTheDrawing) {
    // A mask written the wrong way round makes the icon a solid square or invisible.
    const QImage icon(QStringLiteral(":/BMI-Trevala.ico"));
    ASSERT_FALSE(icon.isNull());
    int transparent = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            transparent += qAlpha(icon.pixel(x, y)) == 0 ? 1 : 0;
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_GT(transparent, 32 * 32 / 4);
    EXPECT_LT(transparent, 32 * 32 * 3 / 4);
}

TEST_F(ResourcesTest, CalculatorIsOneGif89aFrameWithFullColourTable) {
    const QByteArray gif = readResource(":/calculator.gif");
    ASSERT_GE(gif.size(), 13);
    EXPECT_TRUE(gif.startsWith("GIF89a"));
    EXPECT_EQ(le16(gif, 6), 16u);
    EXPECT_EQ(le16(gif, 8), 18u);
    const std::uint32_t packed = byteAt(gif, 10);
    EXPECT_TRUE(packed & 0x80) << "no global colour table";
    EXPECT_EQ(2u << (packed & 7), 256u);
    EXPECT_EQ(gifFrameCount(gif), std::optional<int>(1));

    QImageReader reader(QStringLiteral(":/calculator.gif"));
    EXPECT_EQ(reader.imageCount(), 1);
}

TEST_F(ResourcesTest, AdvertIsUncompressed24BitBitmap) {
    const QByteArray bmp = readResource(":/advert.bmp");
    ASSERT_EQ(bmp.size(), 101742);
    EXPECT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(le32(bmp, 2), 101742u);
    EXPECT_EQ(le32(bmp, 10), 54u); // no palette between header and pixels
    expectBitmapInfo(bmp, 14, 297, 114, 24);
}

TEST_F(ResourcesTest, AdvertIsDarkTextOnLightBackground) {
    const QImage advert(QStringLiteral(":/advert.bmp"));
    ASSERT_FALSE(advert.isNull());
    int light = 0;
    int dark = 0;
    for (int y = 0; y < advert.height(); ++y) {
        for (int x = 0; x < advert.width(); ++x) {
            const int grey = qGray(advert.pixel(x, y));
            light += grey >= 240 ? 1 : 0;
            dark += grey < 96 ? 1 : 0;
        }
    }
    const int all = advert.width() * advert.height();
    EXPECT_GT(light, all * 3 / 4);
    EXPECT_GT(dark, all / 50) << "no legible text";
}

} // namespace
