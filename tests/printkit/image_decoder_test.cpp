#include "printkit/rendering/image_decoder.h"
#include "heic_encoding.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace printkit {
namespace {

using quill::testing::encodedAsHeic;

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

} // namespace
} // namespace printkit
