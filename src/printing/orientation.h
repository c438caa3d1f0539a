#pragma once

#include <QString>

#include <array>
#include <optional>

namespace quill {

// How a label sits on its medium. The raw value is both the stored and the shown text.
enum class Orientation { portrait, landscape };

inline constexpr std::array kAllOrientations{Orientation::portrait, Orientation::landscape};

QString rawValue(Orientation orientation);
// Exactly "Portrait" or "Landscape" (case-sensitive); anything else gives none.
std::optional<Orientation> orientationFromRawValue(const QString &text);

} // namespace quill
