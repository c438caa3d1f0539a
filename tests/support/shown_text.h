#pragma once

// What a label, message box or tooltip puts on the screen for a text: Qt reads a
// text in the automatic format (every tooltip is one) as markup when it looks like
// markup, so a title holding tags would draw pictures and links instead of itself.

#include <QLabel>
#include <QMessageBox>
#include <QTextDocument>

namespace quill::testing {

// The characters a tooltip, or a label in the automatic format, shows for `text`.
inline QString shownText(const QString &text, Qt::TextFormat format = Qt::AutoText)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

inline QString shownText(const QLabel &label)
{
    return shownText(label.text(), label.textFormat());
}

// The message box's own text label.
inline QString shownText(const QMessageBox &box)
{
    const auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    return label ? shownText(*label) : QString();
}

} // namespace quill::testing
