#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <QString>
#include <QStringView>
#include <optional>

namespace quill {

// Internet date-times ("2026-01-15T18:30:05Z", "2026-01-15T18:30:05.123+01:00"): a full
// date, "T", a full time and a zone, nothing more. Dates alone, times without a zone,
// lower-case separators, blanks and impossible fields ("2026-02-30", "24:00:00") are no
// date-times.
enum class FractionalSeconds
{
    required, // ".123" must be there
    forbidden, // whole seconds only
};

std::optional<QDateTime> parseInternetDateTime(QStringView text, FractionalSeconds fraction);
// The backend's rule: with fractional seconds, else without them.
std::optional<QDateTime> parseInternetDateTime(QStringView text);

// UTC, whole seconds, trailing "Z". An invalid moment gives an empty text.
QString formatInternetDateTime(const QDateTime &moment);

} // namespace quill
