#pragma once

#include <QString>

class QAbstractButton;
class QBoxLayout;
class QFrame;
class QToolButton;
class QWidget;

namespace quill {

// The designer's bars: a row on the bar colour with 12 pt spacing, 12 pt left and right
// and 6 pt top and bottom.
QBoxLayout *makeToolbarRow(QWidget *bar);
// A borderless button with a symbol and, when given, a text beside it.
QToolButton *makeToolbarButton(const QString &symbol, const QString &text, const QString &toolTip,
                               QWidget *parent);
// A 16 pt tall vertical divider.
QFrame *makeToolbarDivider(QWidget *parent);
// A hairline across a column (or, vertical, between columns) in the faint fill colour.
QFrame *makeColumnDivider(QWidget *parent, Qt::Orientation orientation = Qt::Horizontal);

} // namespace quill
