#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>

class QGraphicsOpacityEffect;
class QPainter;

namespace quill {

class PageBox;

// The live content's two layers: the side-panel column (with the print log laid
// over its trailing edge) and, while the video is on, the page box as the
// left-hand 40 % strip or the floating picture-in-picture box.
class LiveStage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveStage)

public:
    static constexpr int kColumnMinimumWidth = 300;
    static constexpr int kColumnIdealWidth = 350;
    static constexpr int kPrintLogWidth = 280;
    static constexpr int kPrintLogPadding = 8;
    // Transitions, in ms: the strip opening or closing, the print log coming or going.
    static constexpr int kExpandDuration = 300;
    static constexpr int kPrintLogDuration = 200;

    // Where the collapsed box goes in a stage of a given size.
    using PipOrigin = std::function<QRect(QSize)>;

    LiveStage(QWidget *column, QWidget *printLog, PageBox *pageBox, PipOrigin pipOrigin,
              QWidget *parent = nullptr);

    // The print log lies between these two parts of the column, so that every
    // control of the header and the status bar stays within reach.
    void setPrintLogBounds(QWidget *above, QWidget *below);

    void setShowVideo(bool show);
    void setExpanded(bool expanded);
    void setShowPrintLog(bool show);
    bool showVideo() const { return m_showVideo; }
    bool isExpanded() const { return m_expanded; }
    bool showPrintLog() const { return m_showPrintLog; }

    // Where each layer goes in a stage of the current size.
    QRect columnRect() const;
    QRect printLogRect() const;
    QRect pageBoxRect() const;

    QSize sizeHint() const override { return QSize(kColumnIdealWidth, 600); }
    QSize minimumSizeHint() const override { return QSize(kColumnMinimumWidth, 200); }

    // Places every layer at once (a change of size, a drag); ends a transition under way.
    void relayout();
    // Places the page box after a drag moved it; left to a transition under way.
    void placePageBox();
    bool isAnimating() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Moves the layers from where they are to where they belong over `duration` ms.
    void animate(int duration);
    void placeAt(qreal progress);

    struct Frame
    {
        QRect column;
        QRect pageBox;
        QRect printLog;
        bool printLogShown = false;
    };

    QWidget *m_column;
    QWidget *m_printLog;
    PageBox *m_pageBox;
    PipOrigin m_pipOrigin;
    QPointer<QWidget> m_above;
    QPointer<QWidget> m_below;
    QWidget *m_shadows; // between the column and the floating layers
    QGraphicsOpacityEffect *m_printLogFade;
    Frame m_from;
    bool m_showVideo = false;
    bool m_expanded = false;
    bool m_showPrintLog = false;
};

// Paints the floating layers' shadows (drawn over the column, under the layers).
void paintStageShadows(QPainter &painter, const LiveStage &stage);

} // namespace quill
