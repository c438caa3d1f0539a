#include "ui/live/live_stage.h"

#include "ui/live/live_show_controller.h"
#include "ui/live/page_box.h"
#include "ui/widgets/motion.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QPainterPath>

namespace quill {

namespace {

constexpr const char *kTransition = "stageTransition";

class ShadowLayer final : public QWidget
{
public:
    explicit ShadowLayer(LiveStage *stage) : QWidget(stage), m_stage(stage)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        paintStageShadows(painter, *m_stage);
    }

private:
    LiveStage *m_stage;
};

} // namespace

LiveStage::LiveStage(QWidget *column, QWidget *printLog, PageBox *pageBox, PipOrigin pipOrigin,
                     QWidget *parent)
    : QWidget(parent), m_column(column), m_printLog(printLog), m_pageBox(pageBox),
      m_pipOrigin(std::move(pipOrigin))
{
    setObjectName(QStringLiteral("liveContent"));
    m_column->setParent(this);
    m_column->setMinimumWidth(kColumnMinimumWidth);
    m_printLog->setParent(this);
    m_pageBox->setParent(this);
    m_shadows = new ShadowLayer(this);
    m_printLogFade = new QGraphicsOpacityEffect(m_printLog);
    m_printLogFade->setEnabled(false);
    m_printLog->setGraphicsEffect(m_printLogFade);
    relayout();
}

void LiveStage::setShowVideo(bool show)
{
    m_showVideo = show;
    relayout();
}

void LiveStage::setExpanded(bool expanded)
{
    if (m_expanded == expanded)
        return;
    m_expanded = expanded;
    m_pageBox->setExpanded(expanded);
    animate(kExpandDuration);
}

void LiveStage::setShowPrintLog(bool show)
{
    if (m_showPrintLog == show)
        return;
    m_showPrintLog = show;
    animate(kPrintLogDuration);
}

bool LiveStage::isAnimating() const
{
    return Motion::isRunning(this, kTransition);
}

void LiveStage::animate(int duration)
{
    if (!Motion::canAnimate(this)) {
        relayout();
        return;
    }
    if (!isAnimating()) {
        m_from.column = m_column->geometry();
        m_from.pageBox = m_pageBox->geometry();
        m_from.printLog = m_printLog->geometry();
        m_from.printLogShown = m_printLog->isVisible();
    }
    // The print log comes in from the trailing edge, and leaves there.
    if (!m_from.printLogShown)
        m_from.printLog = printLogRect().translated(width() - printLogRect().left(), 0);
    // A transition under way goes on from where its layers are, towards the new places.
    Motion::tween(
        this, kTransition, duration, QEasingCurve::InOutQuad, [this](qreal progress) { placeAt(progress); },
        [this] { relayout(); });
}

void LiveStage::placeAt(qreal progress)
{
    const auto between = [progress](const QRect &from, const QRect &to) {
        const auto mix = [progress](int a, int b) { return qRound(a + (b - a) * progress); };
        return QRect(QPoint(mix(from.left(), to.left()), mix(from.top(), to.top())),
                     QPoint(mix(from.right(), to.right()), mix(from.bottom(), to.bottom())));
    };
    m_column->setGeometry(between(m_from.column, columnRect()));
    m_pageBox->setGeometry(between(m_from.pageBox, pageBoxRect()));
    m_pageBox->setVisible(m_showVideo);

    QRect logTarget = printLogRect();
    if (!m_showPrintLog)
        logTarget.translate(width() - logTarget.left(), 0);
    m_printLog->setGeometry(between(m_from.printLog, logTarget));
    const qreal fromOpacity = m_from.printLogShown ? 1.0 : 0.0;
    const qreal toOpacity = m_showPrintLog ? 1.0 : 0.0;
    m_printLogFade->setEnabled(true);
    m_printLogFade->setOpacity(fromOpacity + (toOpacity - fromOpacity) * progress);
    m_printLog->setVisible(m_showPrintLog || m_from.printLogShown);
    m_shadows->update();
}

void LiveStage::placePageBox()
{
    if (isAnimating())
        return; // the transition places the box where the drag left it
    m_pageBox->setGeometry(pageBoxRect());
    m_shadows->update();
}

QRect LiveStage::columnRect() const
{
    if (m_showVideo && m_expanded) {
        const int strip = qRound(width() * LiveLayout::kExpandedShare);
        return QRect(strip, 0, width() - strip, height());
    }
    return rect();
}

void LiveStage::setPrintLogBounds(QWidget *above, QWidget *below)
{
    for (QWidget *bound : {above, below})
        bound->installEventFilter(this);
    m_above = above;
    m_below = below;
    relayout();
}

QRect LiveStage::printLogRect() const
{
    const QRect column = columnRect();
    const int width = qMin(kPrintLogWidth, column.width() - 2 * kPrintLogPadding);
    int top = column.top();
    int bottom = column.bottom();
    // Whether the bounds are shown within the column, not whether the stage is on screen:
    // the stage is laid out before it is shown (a section change builds it anew).
    if (m_above && m_above->isVisibleTo(this))
        top = m_above->mapTo(this, QPoint(0, m_above->height())).y();
    if (m_below && m_below->isVisibleTo(this))
        bottom = m_below->mapTo(this, QPoint(0, 0)).y() - 1;
    return QRect(column.right() + 1 - kPrintLogPadding - width, top + kPrintLogPadding, width,
                 qMax(0, bottom - top + 1 - 2 * kPrintLogPadding));
}

bool LiveStage::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_above || watched == m_below) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move) && !isAnimating())
        relayout();
    return QWidget::eventFilter(watched, event);
}

QRect LiveStage::pageBoxRect() const
{
    if (m_expanded)
        return QRect(0, 0, qRound(width() * LiveLayout::kExpandedShare), height());
    return m_pipOrigin(size());
}

void LiveStage::relayout()
{
    Motion::stop(this, kTransition);
    m_printLogFade->setEnabled(false);
    m_column->setGeometry(columnRect());
    m_shadows->setGeometry(rect());
    m_shadows->raise();
    m_printLog->setGeometry(printLogRect());
    m_printLog->setVisible(m_showPrintLog);
    m_printLog->raise();
    m_pageBox->setGeometry(pageBoxRect());
    m_pageBox->setVisible(m_showVideo);
    m_pageBox->raise();
    m_shadows->update();
}

void LiveStage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void paintStageShadows(QPainter &painter, const LiveStage &stage)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // The floating layers' shadows, drawn behind them: black at 30 %, radius 10,
    // 4 pt down for the box; black at 20 % for the print log.
    auto shadow = [&painter](const QRectF &box, qreal radius, qreal opacity, qreal dy) {
        constexpr int kSteps = 10;
        for (int i = kSteps; i >= 1; --i) {
            QColor color(0, 0, 0);
            color.setAlphaF(float(opacity / kSteps));
            painter.setBrush(color);
            painter.drawRoundedRect(box.translated(0, dy).adjusted(-i, -i, i, i), radius + i, radius + i);
        }
    };
    if (stage.showPrintLog())
        shadow(QRectF(stage.printLogRect()), 10, 0.2, 0);
    if (stage.showVideo() && !stage.isExpanded())
        shadow(QRectF(stage.pageBoxRect()), PageBox::kPipRadius, 0.3, 4);
}

} // namespace quill
