#pragma once

#include "ui/widgets/figure_text.h"

#include <QFont>
#include <QWidget>

class QLabel;

namespace quill {

// A line of text fitted to a width: the font shrinks down to `minimumScale` of its
// size, and what still does not fit is cut with an ellipsis. Its digits are all one
// width (FigureText), so numbers line up.
using FittedLine = FigureText;
FittedLine fitOneLine(const QString &text, const QFont &font, int width, qreal minimumScale = 0.7);

// One statistic of a show: the value in bold over its title.
class StatCard final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatCard)

public:
    StatCard(const QString &title, const QString &value, QWidget *parent = nullptr);

    QString title() const;
    QString value() const;
    // The value as it is drawn at the card's width.
    FittedLine shownValue() const;

private:
    class ValueLine;
    ValueLine *m_value;
    QLabel *m_title;
};

} // namespace quill
