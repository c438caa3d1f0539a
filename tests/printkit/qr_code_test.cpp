#include "printkit/rendering/qr_code.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace printkit;

namespace {

bool isFinderPattern(const QRCodeMatrix &m, int left, int top)
{
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) {
            const bool ring = x == 0 || y == 0 || x == 6 || y == 6;
            const bool centre = x >= 2 && x <= 4 && y >= 2 && y <= 4;
            if (m.isDark(left + x, top + y) != (ring || centre))
                return false;
        }
    }
    return true;
}

QImage filled(QColor colour, int side = 100)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

bool allPixels(const QImage &image, QRgb value)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != value)
                return false;
    return true;
}

} // namespace

TEST(QRCodeMatrix, EncodesASymbolWithFinderPatternsInThreeCorners)
{
    const auto m = QRCodeMatrix::encodeText(QStringLiteral("https://example.com/printkit/sample"));
    ASSERT_TRUE(m.has_value());
    // 35 bytes at level M need version 3: 29 modules.
    EXPECT_EQ(m->size(), 29);
    EXPECT_TRUE(isFinderPattern(*m, 0, 0));
    EXPECT_TRUE(isFinderPattern(*m, m->size() - 7, 0));
    EXPECT_TRUE(isFinderPattern(*m, 0, m->size() - 7));
    EXPECT_FALSE(isFinderPattern(*m, m->size() - 7, m->size() - 7));
}

TEST(QRCodeMatrix, GrowsWithThePayloadAndRefusesWhatNoVersionHolds)
{
    const auto small = QRCodeMatrix::encode(QByteArray("A"));
    const auto large = QRCodeMatrix::encode(QByteArray(1000, 'x'));
    ASSERT_TRUE(small && large);
    EXPECT_EQ(small->size(), 21);
    EXPECT_GT(large->size(), small->size());
    EXPECT_EQ((large->size() - 17) % 4, 0);

    // Version 40 at level M holds 2331 bytes in 8-bit mode.
    EXPECT_TRUE(QRCodeMatrix::encode(QByteArray(2331, 'x')).has_value());
    EXPECT_FALSE(QRCodeMatrix::encode(QByteArray(2332, 'x')).has_value());
    EXPECT_FALSE(QRCodeMatrix::encode(QByteArray()).has_value());
}

TEST(QRCodeMatrix, EachCorrectionLevelHasItsOwnCapacity)
{
    // Version 40 holds 2953, 2331, 1663 and 1273 bytes at L, M, Q and H.
    const struct
    {
        QRErrorCorrection level;
        int capacity;
    } levels[] = {{QRErrorCorrection::low, 2953},
                  {QRErrorCorrection::medium, 2331},
                  {QRErrorCorrection::quartile, 1663},
                  {QRErrorCorrection::high, 1273}};
    for (const auto &level : levels) {
        SCOPED_TRACE(int(level.level));
        EXPECT_TRUE(QRCodeMatrix::encode(QByteArray(level.capacity, 'x'), level.level).has_value());
        EXPECT_FALSE(QRCodeMatrix::encode(QByteArray(level.capacity + 1, 'x'), level.level).has_value());
    }
    // More correction needs more modules for the same payload.
    const QByteArray payload(100, 'x');
    EXPECT_LT(QRCodeMatrix::encode(payload, QRErrorCorrection::low)->size(),
              QRCodeMatrix::encode(payload, QRErrorCorrection::high)->size());
}

TEST(QRCodeMatrix, AnEmbeddedNulIsPartOfThePayload)
{
    const auto withNul = QRCodeMatrix::encode(QByteArray("ab\0cd", 5));
    const auto cut = QRCodeMatrix::encode(QByteArray("ab"));
    ASSERT_TRUE(withNul && cut);
    bool differs = false;
    for (int y = 0; y < withNul->size() && !differs; ++y)
        for (int x = 0; x < withNul->size() && !differs; ++x)
            differs = withNul->isDark(x, y) != cut->isDark(x, y);
    EXPECT_TRUE(differs);
}

TEST(QRCodeMatrix, ImageIsCrispBlackOnWhiteWithAQuietZone)
{
    const auto m = QRCodeMatrix::encodeText(QStringLiteral("HELLO"));
    ASSERT_TRUE(m.has_value());
    const QImage image = m->toImage(4, 1).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.width(), (m->size() + 2) * 4);
    ASSERT_EQ(image.height(), image.width());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_TRUE(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255)) << x << "," << y;
            const bool quiet = x < 4 || y < 4 || x >= image.width() - 4 || y >= image.height() - 4;
            if (quiet) {
                ASSERT_EQ(p, qRgb(255, 255, 255)) << x << "," << y;
            } else {
                ASSERT_EQ(p == qRgb(0, 0, 0), m->isDark(x / 4 - 1, y / 4 - 1)) << x << "," << y;
            }
        }
    }
}

TEST(DrawQRCode, FillsTheRectWhiteAndDrawsTheCodeInsideIt)
{
    QImage image = filled(Qt::red);
    {
        QPainter painter(&image);
        EXPECT_TRUE(drawQRCode(painter, QRectF(10, 10, 62, 62), QStringLiteral("HELLO")));
    }
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 0, 0));    // outside the rect
    EXPECT_EQ(image.pixel(80, 80), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(11, 11), qRgb(255, 255, 255)); // quiet zone
    // Version 1 plus a one-module border is 23 modules over 62 pixels; the finder's
    // outer ring starts one module in.
    EXPECT_EQ(image.pixel(10 + 4, 10 + 4), qRgb(0, 0, 0));
    int red = 0;
    for (int y = 10; y < 72; ++y)
        for (int x = 10; x < 72; ++x)
            red += image.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_EQ(red, 0);
}

TEST(DrawQRCode, EmptyPayloadDrawsNothingAndIsNoFailure)
{
    QImage image = filled(Qt::red);
    {
        QPainter painter(&image);
        EXPECT_TRUE(drawQRCode(painter, QRectF(10, 10, 60, 60), QString()));
    }
    EXPECT_TRUE(allPixels(image, qRgb(255, 0, 0)));
}

TEST(DrawQRCode, PayloadTooLongDrawsNothingAndReportsIt)
{
    QImage image = filled(Qt::red);
    {
        QPainter painter(&image);
        EXPECT_FALSE(drawQRCode(painter, QRectF(10, 10, 60, 60), QString(3000, QLatin1Char('x'))));
    }
    EXPECT_TRUE(allPixels(image, qRgb(255, 0, 0)));
}
