#include "heic_encoding.h"
#include "printkit/rendering/image_decoder.h"
#include "test_pictures.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace printkit {
namespace {

using quill::testing::encodedAsHeic;
using quill::testing::encodedPhoto;
using quill::testing::photoPixels;

// A 40×20 picture: red on the left half, transparent blue on the right.
QImage samplePicture()
{
    QImage image(40, 20, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, x < 20 ? qRgba(230, 20, 20, 255) : qRgba(20, 20, 230, 0));
    return image;
}

QByteArray encodedWithQt(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << format << writer.errorString().toStdString();
    return bytes;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

bool closeTo(QRgb actual, QRgb expected, int tolerance)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

TEST(ImageDecoderTest, ReadsEveryFormatALogoOrTemplateMayHold)
{
    const QImage picture = samplePicture();
    struct Case
    {
        const char *name;
        QByteArray bytes;
        ImageFormat format;
        bool keepsAlpha;
        int tolerance;
    };
    const Case cases[] = {
        {"png", encodedWithQt(picture, "png"), ImageFormat::png, true, 0},
        {"jpeg", encodedWithQt(picture, "jpeg"), ImageFormat::jpeg, false, 40},
        {"tiff", encodedWithQt(picture, "tiff"), ImageFormat::tiff, true, 0},
        {"heic", encodedAsHeic(picture), ImageFormat::heic, false, 40},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.isEmpty());
        EXPECT_EQ(sniffImageFormat(c.bytes), c.format);
        const QImage decoded = decodeImage(c.bytes);
        ASSERT_EQ(decoded.size(), picture.size());
        EXPECT_TRUE(closeTo(decoded.pixel(5, 10), qRgb(230, 20, 20), c.tolerance));
        if (c.keepsAlpha) {
            EXPECT_EQ(qAlpha(decoded.pixel(35, 10)), 0);
        }
    }
}

TEST(ImageDecoderTest, RefusesWhatIsNoPictureOrTooLarge)
{
    // A PNG whose header claims 20000 × 20000 pixels: refused before anything is allocated.
    QByteArray huge = encodedWithQt(QImage(1, 1, QImage::Format_RGB32), "png");
    const auto putBigEndian = [&huge](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            huge[at + i] = char((value >> (24 - 8 * i)) & 0xff);
    };
    putBigEndian(16, 20000);
    putBigEndian(20, 20000);
    putBigEndian(29, crc32(huge.mid(12, 17))); // the header's checksum, so only its size is wrong

    const QByteArray truncatedHeic = encodedAsHeic(samplePicture()).left(60);
    const QByteArray notAPicture = "%PDF-1.4 this is a document";
    for (const QByteArray &bytes : {QByteArray(), notAPicture, huge, truncatedHeic}) {
        SCOPED_TRACE(bytes.left(12).toHex().toStdString());
        EXPECT_THROW(decodeImage(bytes), ImageDecodeError);
    }
    try {
        decodeImage(huge);
    } catch (const ImageDecodeError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("too large"))) << error.what();
    }
}

TEST(ImageDecoderTest, FilesAreReadWithTheirNameInTheMessage)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("logo.tiff"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(encodedWithQt(samplePicture(), "tiff"));
    file.close();
    EXPECT_EQ(decodeImageFile(path).size(), QSize(40, 20));
    try {
        decodeImageFile(folder.filePath(QStringLiteral("missing.png")));
        ADD_FAILURE() << "a missing file decoded";
    } catch (const ImageDecodeError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("missing.png")));
    }
}

TEST(ImageDecoderTest, APhonePhotoOf48MegapixelsIsReadWholeOrAtTheSizeAskedFor)
{
    // 8000 × 6000, as a 48 MP phone camera saves it: over Qt's own allocation ceiling.
    const QByteArray photo = encodedPhoto(photoPixels(QSize(8000, 6000), 48, 64), "JPEG", 60);
    ASSERT_EQ(sniffImageFormat(photo), ImageFormat::jpeg);
    EXPECT_EQ(readImageSize(photo), QSize(8000, 6000));
    EXPECT_EQ(decodeImage(photo, QSize(1000, 1000)).size(), QSize(1000, 750));
    EXPECT_EQ(decodeImage(photo).size(), QSize(8000, 6000));

    // A refusal names the limit that refused it.
    const QByteArray deep = encodedWithQt(QImage(1, 1, QImage::Format_RGBA64), "png");
    QByteArray claimsTooMuch = deep;
    const auto putBigEndian = [&claimsTooMuch](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            claimsTooMuch[at + i] = char((value >> (24 - 8 * i)) & 0xff);
    };
    putBigEndian(16, 9000);
    putBigEndian(20, 8000);
    putBigEndian(29, crc32(claimsTooMuch.mid(12, 17)));
    try {
        decodeImage(claimsTooMuch);
        ADD_FAILURE() << "a 72-megapixel picture decoded";
    } catch (const ImageDecodeError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("up to 64 megapixels"))) << error.what();
    }
}

TEST(ImageDecoderTest, HeicIsMeasuredBeforeItIsDecodedAndDecodedAtTheSizeAskedFor)
{
    const QByteArray heic = encodedAsHeic(photoPixels(QSize(1600, 1200), 4, 100));
    ASSERT_EQ(sniffImageFormat(heic), ImageFormat::heic);
    EXPECT_EQ(readImageSize(heic), QSize(1600, 1200));
    EXPECT_EQ(decodeImage(heic, QSize(400, 400)).size(), QSize(400, 300));

    // The same file declaring 20000 × 20000 pixels: refused from its header.
    QByteArray huge = heic;
    const qsizetype ispe = huge.indexOf("ispe");
    ASSERT_GT(ispe, 0);
    for (const int at : {int(ispe) + 8, int(ispe) + 12}) {
        const quint32 side = 20000;
        for (int i = 0; i < 4; ++i)
            huge[at + i] = char((side >> (24 - 8 * i)) & 0xff);
    }
    for (const auto &attempt : {std::function<void()>([&] { readImageSize(huge); }),
                                std::function<void()>([&] { decodeImage(huge, QSize(100, 100)); })}) {
        try {
            attempt();
            ADD_FAILURE() << "a HEIC declaring 400 megapixels was read";
        } catch (const ImageDecodeError &error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("too large"))) << error.what();
        }
    }
}

TEST(ImageDecoderTest, OnlyTheFormatsAUseTakesAreReadAndNeverSvg)
{
    // An SVG whose picture link names a local file: drawn, it would copy that file's pixels.
    QTemporaryDir folder;
    const QString secret = folder.filePath(QStringLiteral("secret.png"));
    ASSERT_TRUE(samplePicture().save(secret, "png"));
    const QByteArray svg = quill::testing::svgLinkingTo(secret, 40);
    // Qt writes no GIF: the classic one-pixel file.
    const QByteArray gif(
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00"
        ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;",
        43);
    struct Case
    {
        const char *name;
        QByteArray bytes;
        ImageUse use;
        bool read;
        QSize size;
    };
    const Case cases[] = {
        {"svg as a template picture", svg, ImageUse::labelPicture, false, {}},
        {"svg as an avatar", svg, ImageUse::avatar, false, {}},
        {"gif as a template picture", gif, ImageUse::labelPicture, false, {}},
        {"gif as an avatar", gif, ImageUse::avatar, true, QSize(1, 1)},
        {"png as an avatar", encodedWithQt(samplePicture(), "png"), ImageUse::avatar, true, QSize(40, 20)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.read) {
            EXPECT_EQ(decodeImage(c.bytes, {}, c.use).size(), c.size);
            continue;
        }
        try {
            decodeImage(c.bytes, {}, c.use);
            ADD_FAILURE() << "read";
        } catch (const ImageDecodeError &error) {
            EXPECT_TRUE(error.message().startsWith(QStringLiteral("The file is not a PNG, JPEG, TIFF")))
                << error.what();
        }
    }
}

} // namespace
} // namespace printkit
