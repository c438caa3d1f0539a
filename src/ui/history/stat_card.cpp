#include "ui/history/stat_card.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace quill {

FittedLine fitOneLine(const QString &text, const QFont &font, int width, qreal minimumScale)
{
    const int natural = QFontMetrics(font).horizontalAdvance(text);
    if (natural <= width || natural <= 0)
        return {font, text};
    QFont smaller = font;
    // Glyph advances do not scale exactly with the size: step down until it fits.
    for (qreal scale = std::max(minimumScale, qreal(width) / natural);; scale = std::max(minimumScale, scale - 0.02)) {
        smaller.setPointSizeF(font.pointSizeF() * scale);
        if (QFontMetrics(smaller).horizontalAdvance(text) <= width)
            return {smaller, text};
        if (scale <= minimumScale)
            break;
    }
    return {smaller, QFontMetrics(smaller).elidedText(text, Qt::ElideRight, width)};
}

// The value: one centred line that shrinks before it is cut.
class StatCard::ValueLine final : public QWidget
{
public:
    ValueLine(QString text, QFont font, QWidget *parent) : QWidget(parent), m_text(std::move(text))
    {
        setFont(font);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }

    const QString &text() const { return m_text; }
    FittedLine fitted() const { return fitOneLine(m_text, font(), width()); }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        return {metrics.horizontalAdvance(m_text), metrics.height()};
    }
    QSize minimumSizeHint() const override { return {0, QFontMetrics(font()).height()}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const FittedLine line = fitted();
        painter.setFont(line.font);
        painter.setPen(primaryTextColor());
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, line.text);
    }

private:
    QString m_text;
};

StatCard::StatCard(const QString &title, const QString &value, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("statCard"));
    setMinimumWidth(80);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::xxSmall);
    m_value = new ValueLine(value, monospacedFont(textFont(TextStyle::title3, QFont::Bold)), this);
    m_title = styledLabel(title, textFont(TextStyle::caption), secondaryTextColor(), this);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_value);
    layout->addWidget(m_title);
}

QString StatCard::title() const
{
    return m_title->text();
}

QString StatCard::value() const
{
    return m_value->text();
}

FittedLine StatCard::shownValue() const
{
    return m_value->fitted();
}

} // namespace quill
