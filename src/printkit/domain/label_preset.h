#pragma once

#include "printkit/domain/label_calibration.h"
#include "printkit/domain/label_canvas.h"

#include <QList>
#include <QString>

namespace printkit {

// A ready-made label stock offered in choosers.
struct LabelPreset
{
    QString id;
    QString title;
    QString subtitle;
    LabelCanvas canvas;
    LabelCalibration recommendedCalibration;

    static const LabelPreset &rect1x2();
    static const LabelPreset &circle2();
    static const LabelPreset &shipping4x6();
    static const LabelPreset &circle2_5();
    static const LabelPreset &mm50x25();
    static const LabelPreset &mm70x20();
    static const LabelPreset &rect3x2();
    static const LabelPreset &custom();
    static const QList<LabelPreset> &all();

    bool operator==(const LabelPreset &other) const;
};

size_t qHash(const LabelPreset &preset, size_t seed = 0) noexcept;

} // namespace printkit
