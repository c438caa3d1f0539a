#pragma once

#include <QColor>
#include <QFrame>

namespace quill {

inline constexpr qreal kCardOutlineOpacity = 0.15;

// The grouping card of the screens: a rounded rectangle (radius 8) in the card fill with a faint
// outline and shadow; its layout is inset 10 on every edge.
class Card : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Card)

public:
    explicit Card(QWidget *parent = nullptr);

    void setFillColor(const QColor &color);
    const QColor &fillColor() const { return m_fill; }
    void setCornerRadius(qreal radius);
    // How strongly the outline shows, 0 to 1; the kit's cards draw it at 15 %.
    void setOutlineOpacity(qreal opacity);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill;
    qreal m_radius = 8;
    qreal m_outlineOpacity = kCardOutlineOpacity;
};

// A filled rounded rectangle of the card kit; the loading placeholders use it.
void paintCardFrame(QPainter &painter, const QRectF &rect, const QColor &fill, qreal radius, bool outline,
                    qreal outlineOpacity = kCardOutlineOpacity);

} // namespace quill
