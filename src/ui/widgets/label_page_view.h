#pragma once

#include "printing/layouts/any_label_view.h"

#include <QColor>
#include <QWidget>
#include <functional>
#include <optional>

class QPainter;

namespace quill {

// How a label page is framed on screen: the clip and the outline over it.
struct LabelPageFrame
{
    enum class Shape { rectangle, roundedRectangle, circle };

    Shape shape = Shape::roundedRectangle;
    qreal cornerRadius = 4;
    // No outline when the width is 0.
    qreal outlineWidth = 1;
    qreal outlineOpacity = 0.3;
    QColor outlineColor; // invalid: the secondary text colour

    // The usual frame of a page on a medium: a circle for a round one, else corner 4.
    static LabelPageFrame forMedium(bool circular, qreal outlineOpacity = 0.3, qreal outlineWidth = 1);
};

// Paints one page at `scale` (label points to widget points) with its top left at the
// painter's origin, clipped and outlined as `frame` says. The one way label pages reach
// the screen: LabelPageView, thumbnails and sheets all paint through here. A page whose
// layout throws paints nothing and gives false.
bool paintLabelPage(QPainter &painter, const AnyLabelView &page, qreal scale, const LabelPageFrame &frame);
// Paints a drawing of `size` with its top left at the painter's origin, clipped to the
// frame's shape; the outline goes over it when `paint` says it painted.
bool paintInFrame(QPainter &painter, QSizeF size, const LabelPageFrame &frame,
                  const std::function<bool(QPainter &)> &paint);
// The whole pixels a page takes at `scale`; empty for a page that cannot be laid out.
QSize labelPageSize(const AnyLabelView &page, qreal scale);

// One label page, drawn by the page's own print layout code: the preview matches the
// print. Its size is the page's size times the scale; without a page it is empty and
// takes no room.
class LabelPageView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelPageView)

public:
    explicit LabelPageView(QWidget *parent = nullptr);

    void setPage(std::optional<AnyLabelView> page);
    const std::optional<AnyLabelView> &page() const { return m_page; }
    void setScale(qreal scale);
    qreal scale() const { return m_scale; }
    void setFrame(const LabelPageFrame &frame);
    const LabelPageFrame &frame() const { return m_frame; }

    // Lays the page out at `size` rather than its own, drawn stretched to it, while a
    // thumbnail moves to a new size; an empty size gives the page its own size again.
    void setFrameSize(QSize size);
    QSize frameSize() const { return m_frameSize; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void relayout();

    std::optional<AnyLabelView> m_page;
    qreal m_scale = 1;
    LabelPageFrame m_frame;
    QSize m_frameSize;
};

} // namespace quill
