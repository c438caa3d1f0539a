#pragma once

#include <QString>
#include <optional>

namespace printkit {

enum class PostPrintAction
{
    none,
    tearOff
};

QString rawValue(PostPrintAction action);
std::optional<PostPrintAction> postPrintActionFromRaw(const QString &raw);

// Feed calibration that goes with a label stock.
struct LabelCalibration
{
    qint64 startPositionMillimeters = 0;
    qint64 stopOffsetMillimeters = 0;
    qint64 rotationDegrees = 0;
    PostPrintAction postPrintAction = PostPrintAction::none;

    static const LabelCalibration &standard();

    bool operator==(const LabelCalibration &other) const;
};

size_t qHash(const LabelCalibration &calibration, size_t seed = 0) noexcept;

} // namespace printkit
