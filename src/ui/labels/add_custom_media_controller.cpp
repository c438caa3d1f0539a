#include "ui/labels/add_custom_media_controller.h"

#include "ui/labels/label_card_types.h"
#include "ui/labels/label_preview_scales.h"
#include "ui/labels/label_samples.h"

#include <QUuid>
#include <cmath>

namespace quill {

namespace {

// "%.0f" for a whole number, else "%g", without the locale's decimal comma.
QString numberText(double value)
{
    if (std::isfinite(value) && value == std::trunc(value))
        return QString::asprintf("%.0f", value);
    return QString::asprintf("%g", value);
}

bool usableSide(double inches)
{
    return std::isfinite(inches) && inches >= LabelMedia::kMinInches && inches <= LabelMedia::kMaxInches;
}

} // namespace

QString AddCustomMediaController::rawValue(PreviewType type)
{
    switch (type) {
    case PreviewType::winner:
        return QStringLiteral("Winner");
    case PreviewType::box:
        return QStringLiteral("Box");
    case PreviewType::packingSlip:
        return QStringLiteral("Packing Slip");
    }
    return {};
}

AddCustomMediaController::AddCustomMediaController(QObject *parent) : QObject(parent) {}

template <typename T> void AddCustomMediaController::assign(T &field, const T &value)
{
    if constexpr (std::is_floating_point_v<T>) {
        // NaN never equals itself: compare the bits that matter.
        if (field == value || (std::isnan(field) && std::isnan(value)))
            return;
    } else if (field == value) {
        return;
    }
    field = value;
    Q_EMIT changed();
}

void AddCustomMediaController::setCircular(bool circular)
{
    assign(m_isCircular, circular);
}

void AddCustomMediaController::setUseMetric(bool metric)
{
    if (metric == m_useMetric)
        return;
    const auto convert = [metric](double value) {
        return metric ? std::round(value * kMillimetresPerInch)
                      : std::round(value / kMillimetresPerInch * 100) / 100;
    };
    m_useMetric = metric;
    m_width = convert(m_width);
    m_height = convert(m_height);
    m_diameter = convert(m_diameter);
    Q_EMIT changed();
}

void AddCustomMediaController::setWidth(double value)
{
    assign(m_width, value);
}

void AddCustomMediaController::setHeight(double value)
{
    assign(m_height, value);
}

void AddCustomMediaController::setDiameter(double value)
{
    assign(m_diameter, value);
}

void AddCustomMediaController::setName(const QString &name)
{
    assign(m_name, name);
}

void AddCustomMediaController::setOrientation(Orientation orientation)
{
    assign(m_orientation, orientation);
}

void AddCustomMediaController::toggleOrientation()
{
    setOrientation(m_orientation == Orientation::landscape ? Orientation::portrait : Orientation::landscape);
}

void AddCustomMediaController::setPreviewType(PreviewType type)
{
    assign(m_previewType, type);
}

LabelMedia AddCustomMediaController::previewMedia() const
{
    const double divisor = m_useMetric ? kMillimetresPerInch : 1.0;
    const double width = (m_isCircular ? m_diameter : m_width) / divisor;
    const double height = (m_isCircular ? m_diameter : m_height) / divisor;
    return {QStringLiteral("preview"), width, height, m_isCircular, std::nullopt};
}

bool AddCustomMediaController::isValid() const
{
    const LabelMedia media = previewMedia();
    return usableSide(media.widthInches) && usableSide(media.heightInches);
}

std::optional<QString> AddCustomMediaController::sizeProblem() const
{
    const LabelMedia media = previewMedia();
    const auto tooSmall = [](double inches) {
        return std::isfinite(inches) && inches < LabelMedia::kMinInches;
    };
    const auto tooLarge = [](double inches) {
        return std::isfinite(inches) && inches > LabelMedia::kMaxInches;
    };
    if (tooSmall(media.widthInches) || tooSmall(media.heightInches))
        return m_useMetric ? tr("Each side must be at least %1 mm.")
                                 .arg(std::ceil(LabelMedia::kMinInches * kMillimetresPerInch * 10) / 10)
                           : tr("Each side must be at least %1 in.").arg(LabelMedia::kMinInches);
    if (tooLarge(media.widthInches) || tooLarge(media.heightInches))
        return m_useMetric
                   ? tr("Each side must be at most %1 mm.").arg(LabelMedia::kMaxInches * kMillimetresPerInch)
                   : tr("Each side must be at most %1 in.").arg(LabelMedia::kMaxInches);
    return std::nullopt;
}

QString AddCustomMediaController::autoName() const
{
    if (m_isCircular)
        return numberText(m_diameter) +
               (m_useMetric ? QStringLiteral("mm Circle") : QStringLiteral("\" Circle"));
    if (m_useMetric)
        return numberText(m_width) + QLatin1Char('x') + numberText(m_height) + QStringLiteral("mm");
    return numberText(m_width) + QStringLiteral("\"x") + numberText(m_height) + QLatin1Char('"');
}

Orientation AddCustomMediaController::effectiveOrientation() const
{
    return m_isCircular ? Orientation::landscape : m_orientation;
}

double AddCustomMediaController::previewScale() const
{
    const QSizeF size = labelSizePoints(previewMedia(), effectiveOrientation());
    if (!(size.width() > 0) || !(size.height() > 0))
        return 0.5;
    return std::min({180.0 / size.width(), 240.0 / size.height(), 2.0});
}

LabelContent AddCustomMediaController::sampleContent() const
{
    switch (m_previewType) {
    case PreviewType::winner:
        return LabelSamples::winner();
    case PreviewType::box:
        return LabelSamples::box();
    case PreviewType::packingSlip:
        break;
    }
    return LabelSamples::customSizeSlip();
}

std::optional<AnyLabelView> AddCustomMediaController::previewPage(const LabelAppearance &appearance) const
{
    if (!isValid())
        return std::nullopt;
    const LabelContent content = sampleContent();
    const LabelMedia media = previewMedia();
    const Orientation orientation = effectiveOrientation();
    const QList<AnyLabelView> pages = pagesOrNone(
        [&](double scale) {
            return content.pages(LabelVariant::bold, media, orientation, appearance, scale);
        },
        previewScale());
    return pages.isEmpty() ? std::nullopt : std::optional<AnyLabelView>(pages.first());
}

LabelMedia AddCustomMediaController::save() const
{
    LabelMedia media = previewMedia();
    media.id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    media.name = m_name.isEmpty() ? autoName() : m_name;
    return media;
}

} // namespace quill
