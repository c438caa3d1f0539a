#pragma once

#include "printing/label_appearance.h"
#include "printing/layouts/label_kit.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <gtest/gtest.h>

namespace quill::testing {

// The element of a laid-out label with this tag; a missing one fails the test.
inline labelkit::Element elementOf(const labelkit::LabelLayout &layout, const QString &tag)
{
    const auto element = layout.element(tag);
    EXPECT_TRUE(element.has_value()) << "missing " << tag.toStdString();
    return element.value_or(labelkit::Element{});
}

// The five built-in media as the page builder sizes them (the small labels in
// landscape, the sheets in portrait).
struct Medium
{
    QString id;
    qreal widthPts;
    qreal heightPts;
    bool isCircular;
};

inline const QList<Medium> &builtInMedia()
{
    static const QList<Medium> media{
        {QStringLiteral("2.25x1.25"), 162, 90, false}, {QStringLiteral("1x2"), 144, 72, false},
        {QStringLiteral("2circle"), 144, 144, true},   {QStringLiteral("4x6"), 288, 432, false},
        {QStringLiteral("letter"), 612, 792, false},
    };
    return media;
}

// A two-colour logo twice as wide as high.
inline QImage sampleLogo(int width = 400, int height = 200)
{
    QImage logo(width, height, QImage::Format_ARGB32_Premultiplied);
    logo.fill(QColor(200, 30, 30));
    QPainter painter(&logo);
    painter.fillRect(QRect(width / 4, height / 4, width / 2, height / 2), QColor(20, 20, 160));
    return logo;
}

inline LabelAppearance appearance(bool withLogo = false, LabelFontChoice choice = LabelFontChoice::system)
{
    LabelAppearance result;
    result.fontChoice = choice;
    if (withLogo)
        result.logoImage = sampleLogo();
    return result;
}

inline bool isInk(QRgb pixel)
{
    return qAlpha(pixel) > 128 && qGray(pixel) < 100;
}

inline bool isWhite(QRgb pixel)
{
    return qAlpha(pixel) == 255 && qGray(pixel) > 245;
}

// Pixels of a 300-dpi image that cover the point at (x, y).
inline QPoint pixelAt(qreal x, qreal y, qreal dpi = 300)
{
    return QPoint(int(x * dpi / 72), int(y * dpi / 72));
}

// Whether any dark pixel lies in the rect (in points) of an image of `dpi`.
inline bool hasInk(const QImage &image, const QRectF &points, qreal dpi = 300)
{
    const QRect pixels =
        QRectF(points.topLeft() * dpi / 72, points.size() * dpi / 72).toAlignedRect() & image.rect();
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            if (isInk(image.pixel(x, y)))
                return true;
    return false;
}

inline ::testing::AssertionResult elementPresent(const labelkit::LabelLayout &layout, const QString &tag)
{
    if (layout.contains(tag))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no element \"" << tag.toStdString() << "\"";
}

} // namespace quill::testing
