#pragma once

#include <QLineEdit>
#include <QLocale>
#include <functional>
#include <optional>

namespace quill {

// A number typed and shown in the user's locale ("12,5" in German), written when the
// field is committed (Return or focus leaving it). Text that reads as no finite number,
// or a value the writer refuses, leaves the stored value, which the field shows again.
// While the field has the focus it is never refreshed under the cursor.
class LocaleNumberField final : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocaleNumberField)

public:
    enum class Kind
    {
        decimal,
        integer
    };
    using Reader = std::function<double()>;
    // Returns false to refuse the value.
    using Writer = std::function<bool(double)>;

    LocaleNumberField(const QString &placeholder, Kind kind, Reader read, Writer write,
                      QWidget *parent = nullptr);

    // The stored value in the field, unless it is being typed in.
    void refresh();
    void commit();

    // The locale's text of a value, without group separators.
    static QString format(double value, Kind kind, const QLocale &locale = QLocale());
    // Text with a group separator is no number.
    static std::optional<double> parse(const QString &text, Kind kind, const QLocale &locale = QLocale());

private:
    void showStored();

    Kind m_kind;
    Reader m_read;
    Writer m_write;
};

} // namespace quill
