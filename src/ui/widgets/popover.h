#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

class QVBoxLayout;

namespace quill {

// A frameless popup with the card look, placed next to an anchor (a tray icon, a
// button) and kept inside the available area of the anchor's screen. Closes when
// the user clicks elsewhere.
class Popover : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Popover)

public:
    explicit Popover(QWidget *parent = nullptr);

    // Replaces the content; the popover owns it.
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

    // Shows the popover below the anchor (above it when there is no room below),
    // aligned with the anchor's centre, inside the screen's available geometry.
    void popUpAt(const QRect &anchorGlobal);

    // Where popUpAt puts a popover of `size` for the anchor within `available`.
    static QRect placement(const QSize &size, const QRect &anchor, const QRect &available);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *m_layout;
    QPointer<QWidget> m_content;
};

} // namespace quill
