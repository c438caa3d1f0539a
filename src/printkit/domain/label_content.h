#pragma once

#include <QString>

namespace printkit {

// What one of the toolkit's own labels shows. Placement is the renderer's business.
struct LabelContent
{
    QString brand;
    QString headline;
    QString detail;
    QString qrPayload;
    QString footer;

    static const LabelContent &sample();

    bool operator==(const LabelContent &other) const;
};

size_t qHash(const LabelContent &content, size_t seed = 0) noexcept;

} // namespace printkit
