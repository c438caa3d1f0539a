#include "ui/history/stat_card.h"

#include "ui/widgets/figure_text.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace quill {

FittedLine fitOneLine(const QString &text, const QFont &font, int width, qreal minimumScale)
{
    const FittedLine whole(text, font);
    const int natural = whole.width();
    if (natural <= width || natural <= 0)
        return whole;
    FittedLine line = whole;
    // Glyph advances do not scale exactly with the size: step down until it fits.
    for (qreal scale = std::max(minimumScale, qreal(width) / natural);; scale = std::max(minimumScale, scale - 0.02)) {
        line.font.setPointSizeF(whole.font.pointSizeF() * scale);
        line.digits.setPointSizeF(whole.digits.pointSizeF() * scale);
        if (line.width() <= width)
            return line;
        if (scale <= minimumScale)
            break;
    }
    return line.elided(width);
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

    QSize sizeHint() const override { return {FittedLine(m_text, font()).width(), lineHeight()}; }
    QSize minimumSizeHint() const override { return {0, lineHeight()}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(primaryTextColor());
        fitted().draw(painter, rect(), Qt::AlignCenter);
    }

private:
    int lineHeight() const { return FittedLine(m_text, font()).height(); }

    QString m_text;
};

StatCard::StatCard(const QString &title, const QString &value, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("statCard"));
    setMinimumWidth(80);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::xxSmall);
    m_value = new ValueLine(value, textFont(TextStyle::title3, QFont::Bold), this);
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
