// Pixel checks that geometry alone cannot make: nothing a label draws lands outside
// its box (or its circle), whatever overflows inside it.
#include "label_test_support.h"
#include "printing/layouts/any_label_view.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

constexpr qreal kDpi = 300;
constexpr int kMargin = 60; // pixels of empty room around the label

// The label painted at 300 dpi into a larger transparent image, offset by the margin.
QImage paintWithMargin(const AnyLabelView &view)
{
    const QSizeF points = view.size();
    QImage image(int(std::ceil(points.width() * kDpi / 72)) + 2 * kMargin,
                 int(std::ceil(points.height() * kDpi / 72)) + 2 * kMargin,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(kMargin, kMargin);
    painter.scale(kDpi / 72, kDpi / 72);
    view.paint(painter);
    return image;
}

// Pixels with any paint outside the label's box, or outside its circle.
int paintOutside(const QImage &image, QSizeF points, bool circular)
{
    const qreal w = points.width() * kDpi / 72, h = points.height() * kDpi / 72;
    const QPointF centre(kMargin + w / 2, kMargin + h / 2);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 0)
                continue;
            const QPointF p(x + 0.5, y + 0.5);
            const bool inBox = p.x() >= kMargin - 1 && p.x() <= kMargin + w + 1 && p.y() >= kMargin - 1 &&
                               p.y() <= kMargin + h + 1;
            const bool inCircle = std::hypot(p.x() - centre.x(), p.y() - centre.y()) <= w / 2 + 1.5;
            if (!inBox || (circular && !inCircle))
                ++count;
        }
    return count;
}

const QString kLongName = QStringLiteral("an_overflowing_buyer_name_").repeated(6);
const QString kLongTitle = QStringLiteral("An item title that keeps going ").repeated(10);

QList<GroupedItem> manyItems()
{
    QList<GroupedItem> list;
    for (int i = 0; i < 40; ++i)
        list.append(GroupedItem{i, kLongTitle, QStringLiteral("123456.5")});
    return list;
}

} // namespace

TEST(LabelClipping, NothingIsDrawnOutsideTheLabelAt300Dpi)
{
    for (const Medium &medium : {builtInMedia()[1], builtInMedia()[2]}) {
        for (const LabelVariant style : kAllLabelVariants) {
            const LabelAppearance look = appearance(true);
            const QList<AnyLabelView> views{
                IndividualLabelView(kLongName, QStringLiteral("99999.99"), 123456, 98765, kLongTitle,
                                    kLongTitle, style, medium.widthPts, medium.heightPts, medium.isCircular,
                                    look, 0.75),
                BoxLabelView(kLongName, 1234567890, kLongTitle, style, medium.widthPts, medium.heightPts,
                             medium.isCircular, look, 0.75),
                // The packing slip has no round form: it stays a rectangle.
                GroupedLabelView(kLongName, manyItems(), *Decimal::fromString(u"9999999.5"), kLongTitle,
                                 style, medium.widthPts, medium.heightPts, 1, 9, look, 0.75),
                CalibrationLabelView(medium.widthPts, medium.heightPts, medium.isCircular),
            };
            for (qsizetype i = 0; i < views.size(); ++i) {
                const bool circular = medium.isCircular && !views[i].as<GroupedLabelView>();
                const QImage image = paintWithMargin(views[i]);
                EXPECT_EQ(paintOutside(image, views[i].size(), circular), 0)
                    << medium.id.toStdString() << " " << rawValue(style).toStdString() << " view " << i;
            }
        }
    }
}

TEST(LabelClipping, RoundLabelsAreWhiteInsideAndEmptyOutside)
{
    const Medium circle = builtInMedia()[2];
    for (const LabelVariant style : kAllLabelVariants) {
        const QImage image =
            AnyLabelView(IndividualLabelView(QStringLiteral("kim"), QStringLiteral("5"), 1, 2,
                                             QStringLiteral("Pin"), QStringLiteral("Show"), style,
                                             circle.widthPts, circle.heightPts, true, appearance(), 0.75))
                .toImage(kDpi);
        EXPECT_EQ(qAlpha(image.pixel(pixelAt(4, 4))), 0);
        EXPECT_EQ(qAlpha(image.pixel(pixelAt(140, 4))), 0);
        // Just inside the rim, beyond the 21-point content inset: plain white.
        EXPECT_TRUE(isWhite(image.pixel(pixelAt(72, 5))));
        EXPECT_TRUE(isWhite(image.pixel(pixelAt(5, 72))));
    }
    // The bold band is dark across the content width.
    const QImage bold =
        AnyLabelView(IndividualLabelView(QStringLiteral("kim"), QStringLiteral("5"), std::nullopt,
                                         std::nullopt, std::nullopt, QString(), LabelVariant::bold, 162, 90,
                                         false, appearance(), 0.75))
            .toImage(kDpi);
    EXPECT_TRUE(isInk(bold.pixel(pixelAt(1, 1))));
    EXPECT_TRUE(isInk(bold.pixel(pixelAt(161, 1))));
}

TEST(LabelClipping, PreviewAndPrintDrawTheSameLabel)
{
    // The same layout painted at screen scale and at 300 dpi, compared at screen scale.
    const AnyLabelView view(GroupedLabelView(QStringLiteral("kim"), manyItems().mid(0, 4), Decimal(20),
                                             QStringLiteral("Show"), LabelVariant::classic, 288, 432,
                                             std::nullopt, std::nullopt, appearance(), 0.75));
    const QImage print = view.toImage(300).scaled(288, 432, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage screen = view.toImage(72);
    ASSERT_EQ(print.size(), screen.size());
    qint64 difference = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            difference += std::abs(qGray(print.pixel(x, y)) - qGray(screen.pixel(x, y)));
    // Anti-aliasing differs a little; a shifted line or a different wrap would not.
    EXPECT_LT(double(difference) / (screen.width() * screen.height()), 4.0);
}
