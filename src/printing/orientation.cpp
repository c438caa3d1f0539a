#include "printing/orientation.h"

namespace quill {

QString rawValue(Orientation orientation)
{
    switch (orientation) {
    case Orientation::portrait:
        return QStringLiteral("Portrait");
    case Orientation::landscape:
        return QStringLiteral("Landscape");
    }
    return {};
}

std::optional<Orientation> orientationFromRawValue(const QString &text)
{
    for (Orientation orientation : kAllOrientations) {
        if (rawValue(orientation) == text)
            return orientation;
    }
    return std::nullopt;
}

} // namespace quill
