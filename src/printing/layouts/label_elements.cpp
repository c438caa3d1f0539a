#include "printing/layouts/label_elements.h"

#include "common/error.h"

#include <cmath>

namespace quill::labelparts {

using namespace labelkit;

namespace {

constexpr qreal kMinimumScale = 0.3;
constexpr qreal kMaxPx = 100;

} // namespace

void checkLabelGeometry(qreal widthPts, qreal heightPts, qreal px)
{
    auto usable = [](qreal value, qreal limit) {
        return std::isfinite(value) && value > 0 && value <= limit;
    };
    if (!usable(widthPts, kMaxLabelPoints) || !usable(heightPts, kMaxLabelPoints))
        throw Error(QStringLiteral("A label of %1 × %2 points cannot be drawn: each side must be more than 0 "
                                   "and at most %3 points")
                        .arg(widthPts)
                        .arg(heightPts)
                        .arg(kMaxLabelPoints));
    if (!usable(px, kMaxPx))
        throw Error(QStringLiteral("A label text factor of %1 cannot be used").arg(px));
}

qreal labelScale(qreal widthPts, qreal heightPts)
{
    return std::sqrt((widthPts / 72.0) * (heightPts / 72.0) / 2.8125);
}

qreal slipScale(qreal widthPts, qreal heightPts)
{
    return std::sqrt((widthPts / 72.0) * (heightPts / 72.0) / 24.0);
}

QString buyerText(const QString &username)
{
    return QLatin1Char('@') + username;
}

QString auctionText(int auctionNumber)
{
    return QLatin1Char('#') + QString::number(auctionNumber);
}

QString boxText(int boxNumber)
{
    return QStringLiteral("Box #") + QString::number(boxNumber);
}

QString priceText(const QString &price)
{
    const bool hasSign = price.startsWith(QLatin1Char('$'));
    const QStringView amount = hasSign ? QStringView(price).mid(1) : QStringView(price);
    if (const auto value = Decimal::fromString(amount))
        return priceText(*value);
    return hasSign ? price : QLatin1Char('$') + price;
}

QString priceText(const Decimal &price)
{
    return QLatin1Char('$') + price.toMoneyString();
}

QColor grey(qreal level)
{
    return QColor::fromRgbF(level, level, level, 1.0);
}

QFont appearanceFont(const LabelAppearance &appearance, qreal pointSize, QFont::Weight weight)
{
    QFont result = font(appearance.fontChoice, pointSize, weight);
    if (!isSystemDesign(appearance.fontChoice) && weight != QFont::Normal)
        result.setWeight(weight);
    return result;
}

TextOptions shrinkingLine(const QFont &font, const QColor &color)
{
    TextOptions options;
    options.font = font;
    options.color = color;
    options.maxLines = 1;
    options.minimumScale = kMinimumScale;
    return options;
}

TextOptions shrinkingLines(const QFont &font, const QColor &color, int lines, HAlign alignment)
{
    TextOptions options = shrinkingLine(font, color);
    options.maxLines = lines;
    options.lineAlignment = alignment;
    return options;
}

NodePtr logoElement(const LabelAppearance &appearance, qreal widthPts, qreal maxHeight)
{
    if (!appearance.logoImage || appearance.logoImage->isNull())
        return nullptr;
    return tagged(image(*appearance.logoImage, QSizeF(0.3 * widthPts, maxHeight)), QStringLiteral("logo"));
}

NodePtr labelFrame(NodePtr content, qreal widthPts, qreal heightPts, bool isCircular)
{
    const qreal inset = isCircular ? kCircleInsetShare * widthPts : 0;
    NodePtr inner = tagged(std::move(content), QStringLiteral("content"));
    NodePtr boxed = frame(padding(std::move(inner), Insets::all(inset)),
                          FrameOptions{widthPts, heightPts, std::nullopt, std::nullopt, kCenter});
    return clip(background(std::move(boxed), Qt::white), isCircular ? Shape::ellipse : Shape::rectangle);
}

NodePtr headerBand(NodePtr row, qreal s, bool isCircular)
{
    NodePtr stretched =
        stretch(std::move(row), true, false, Alignment{leadingOrCentre(isCircular), VAlign::center});
    return tagged(
        background(padding(std::move(stretched), Insets::symmetric(7.2 * s, 3.96 * s)), grey(0.067)),
        QStringLiteral("band"));
}

NodePtr ruleLine(qreal s, qreal px)
{
    const qreal gap = 3 * s * px;
    return padding(tagged(rule(1.0, grey(0.8)), QStringLiteral("rule")), Insets{gap, 0, gap, 0});
}

qreal standardSpacing(qreal s, qreal px)
{
    return 8 * s * px;
}

HAlign leadingOrCentre(bool isCircular)
{
    return isCircular ? HAlign::center : HAlign::leading;
}

} // namespace quill::labelparts
