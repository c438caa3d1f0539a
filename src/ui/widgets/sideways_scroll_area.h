#pragma once

#include <QScrollArea>

namespace quill {

// Holds a row or a screen that may need more width than it is given: the content is as
// wide as the room, or as wide as its own minimum with a scroll bar along the bottom when
// the room is narrower. It never scrolls up and down, and asks for the content's height
// plus the scroll bar's while that shows. It takes no focus and paints no background of
// its own.
class SidewaysScrollArea final : public QScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SidewaysScrollArea)

public:
    explicit SidewaysScrollArea(QWidget *parent = nullptr);

    // Shows `content` in place of the one shown (which is deleted); nullptr shows nothing.
    // The content keeps its own background setting.
    void setContent(QWidget *content);
    // True while the content is wider than the room and can be scrolled.
    bool scrolls() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    bool m_scrolls = false;
};

} // namespace quill
