#pragma once

#include <QString>
#include <QWidget>

namespace quill {

// A show's status word, capitalised, in its status colour over a faint fill of it.
// The history rows use the small form, the detail header the inline one.
class StatusBadge final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusBadge)

public:
    enum class Form
    {
        row,    // 9 pt, inset 5 x 2, corner 3
        inline_ // 10 pt, inset 6 x 2, corner 4
    };

    explicit StatusBadge(const QString &status, Form form = Form::row, QWidget *parent = nullptr);

    const QString &status() const { return m_status; }
    QString text() const { return m_text; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The badge painted into `rect` (the list rows draw it without a widget).
    static void paint(QPainter &painter, const QRect &rect, const QString &status, Form form);
    static QSize sizeFor(const QString &status, Form form);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_status;
    QString m_text;
    Form m_form;
};

} // namespace quill
