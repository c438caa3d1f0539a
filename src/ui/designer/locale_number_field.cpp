#include "ui/designer/locale_number_field.h"

#include <cmath>
#include <limits>

namespace quill {

LocaleNumberField::LocaleNumberField(const QString &placeholder, Kind kind, Reader read, Writer write,
                                     QWidget *parent)
    : QLineEdit(parent), m_kind(kind), m_read(std::move(read)), m_write(std::move(write))
{
    setPlaceholderText(placeholder);
    setClearButtonEnabled(false);
    connect(this, &QLineEdit::editingFinished, this, &LocaleNumberField::commit);
    showStored();
}

QString LocaleNumberField::format(double value, Kind kind, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    if (kind == Kind::integer) {
        // Beyond what converts back to a 64-bit integer (a z-index written by hand).
        if (!(std::fabs(value) < 9.2e18))
            return plain.toString(value, 'f', 0);
        return plain.toString(static_cast<qlonglong>(value));
    }
    return plain.toString(value, 'g', QLocale::FloatingPointShortest);
}

std::optional<double> LocaleNumberField::parse(const QString &text, Kind kind, const QLocale &typed)
{
    // A group separator in a size is a misread decimal point far more often than a
    // thousand: German "0.004" would read as 4.
    QLocale locale = typed;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const QString trimmed = text.trimmed();
    if (kind == Kind::integer) {
        const qlonglong value = locale.toLongLong(trimmed, &ok);
        // Whole numbers that a double holds exactly, so nothing changes on the way back.
        constexpr qlonglong kExact = 1LL << 53;
        if (!ok || value > kExact || value < -kExact)
            return std::nullopt;
        return static_cast<double>(value);
    }
    // toDouble reads "nan" and "inf" too.
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void LocaleNumberField::refresh()
{
    if (!hasFocus())
        showStored();
}

void LocaleNumberField::commit()
{
    if (const auto value = parse(text(), m_kind))
        m_write(*value);
    showStored();
}

void LocaleNumberField::showStored()
{
    const QString shown = format(m_read(), m_kind);
    if (text() != shown)
        setText(shown);
}

} // namespace quill
