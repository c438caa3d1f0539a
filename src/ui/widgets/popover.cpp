#include "ui/widgets/popover.h"

#include "ui/widgets/card.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace quill {

namespace {
constexpr int kGap = 6;   // between anchor and popover
constexpr int kMargin = 4; // kept free at the screen's edges
} // namespace

Popover::Popover(QWidget *parent) : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint), m_layout(new QVBoxLayout(this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_layout->setContentsMargins(metrics::hairline, metrics::hairline, metrics::hairline, metrics::xxxSmall);
    m_layout->setSpacing(0);
    // Always as tall as its content: rows that hide (the offline state has fewer)
    // shrink the popover instead of stretching the rows that stay.
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
}

void Popover::setContent(QWidget *content)
{
    if (m_content == content)
        return;
    if (m_content) {
        m_layout->removeWidget(m_content);
        m_content->deleteLater();
    }
    m_content = content;
    if (content) {
        content->setParent(this);
        m_layout->addWidget(content);
    }
    adjustSize();
}

QRect Popover::placement(const QSize &size, const QRect &anchor, const QRect &available)
{
    const QRect area = available.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    int x = anchor.center().x() - size.width() / 2;
    int y = anchor.bottom() + 1 + kGap;
    if (y + size.height() > area.bottom() + 1) {
        const int above = anchor.top() - kGap - size.height();
        y = above >= area.top() ? above : area.bottom() + 1 - size.height();
    }
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    y = std::max(y, area.top());
    return QRect(QPoint(x, y), size);
}

void Popover::popUpAt(const QRect &anchorGlobal)
{
    adjustSize();
    QScreen *screen = QGuiApplication::screenAt(anchorGlobal.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(anchorGlobal.topLeft(), size());
    setGeometry(placement(size(), anchorGlobal, available));
    show();
    raise();
    activateWindow();
}

void Popover::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCardFrame(painter, QRectF(rect()), cardBackgroundColor(), 10, true);
}

} // namespace quill
