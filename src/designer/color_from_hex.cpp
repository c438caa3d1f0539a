#include "designer/color_from_hex.h"

namespace quill {

std::optional<QColor> colorFromHex(const QString &text)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1Char('#')))
        digits.remove(0, 1);
    if (digits.size() != 6)
        return std::nullopt;
    quint32 value = 0;
    qsizetype read = 0;
    for (const QChar c : std::as_const(digits)) {
        const char16_t u = c.unicode();
        const int digit = u >= '0' && u <= '9'   ? u - '0'
                          : u >= 'a' && u <= 'f' ? u - 'a' + 10
                          : u >= 'A' && u <= 'F' ? u - 'A' + 10
                                                 : -1;
        if (digit < 0)
            break;
        value = value * 16 + static_cast<quint32>(digit);
        ++read;
    }
    if (read == 0)
        return std::nullopt;
    return QColor::fromRgb((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

QColor textColorOrBlack(const QString &text)
{
    return colorFromHex(text).value_or(QColor(Qt::black));
}

} // namespace quill
