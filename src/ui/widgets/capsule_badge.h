#pragma once

#include <QColor>
#include <QWidget>

namespace quill {

// Short text on a filled capsule, e.g. the staff "ADMIN" mark.
class CapsuleBadge final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CapsuleBadge)

public:
    CapsuleBadge(QString text, QColor fill, QWidget *parent = nullptr);

    void setText(const QString &text);
    const QString &text() const { return m_text; }
    void setColors(const QColor &fill, const QColor &textColor);
    // Inset of the text inside the capsule.
    void setPadding(int horizontal, int vertical);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QColor m_fill;
    QColor m_textColor{Qt::white};
    int m_padX = 8;
    int m_padY = 3;
};

} // namespace quill
