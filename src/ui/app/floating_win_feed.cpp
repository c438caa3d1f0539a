#include "ui/app/floating_win_feed.h"

#include "ui/app/floating_win_feed_controller.h"
#include "ui/lists/live_list_texts.h"
#include "ui/lists/live_row_delegate.h"
#include "ui/widgets/figure_text.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/pulse_effect.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"
#include "ui/widgets/user_avatar_view.h"

#include <QEvent>
#include <QHash>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quill {

namespace {

constexpr int kAvatarSize = 18;
constexpr int kRowPadX = 10;
constexpr int kRowPadY = 3;
constexpr int kRowSpacing = 6;
constexpr int kDotSize = 6;
// The card comes in from the trailing edge; closing it is a 0.2 s ease-out.
constexpr int kCardInMs = 350;
constexpr int kCardOutMs = 200;
// A new win pushes the rows down over 0.3 s.
constexpr int kRowsMs = 300;

// The green dot of the "Live" mark.
class LiveDot final : public QWidget
{
public:
    explicit LiveDot(QWidget *parent) : QWidget(parent) { setFixedSize(kDotSize, kDotSize); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(brandGreenColor());
        painter.drawEllipse(rect());
    }
};

} // namespace

// The win rows, painted: avatar, "@winner", the price and "#n", one elided line each.
class FloatingWinFeed::WinRows final : public QWidget
{
public:
    explicit WinRows(QWidget *parent)
        : QWidget(parent), m_caption(textFont(TextStyle::caption)),
          m_price(textFont(TextStyle::caption, QFont::Bold)), m_small(textFont(TextStyle::caption2)),
          m_avatars(new RowAvatarCache(kAvatarSize, this))
    {
        connect(m_avatars, &RowAvatarCache::imageLoaded, this, qOverload<>(&QWidget::update));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    void setWins(const QList<CapturedAuction> &wins)
    {
        const bool sameRows = std::equal(wins.begin(), wins.end(), m_wins.begin(), m_wins.end(),
                                         [](const auto &a, const auto &b) { return a.id == b.id; });
        if (sameRows) {
            m_wins = wins;
            update();
            return;
        }
        m_leaving.clear();
        m_from.clear();
        for (qsizetype i = 0; i < m_wins.size(); ++i) {
            const auto stays = std::find_if(wins.begin(), wins.end(), [&](const CapturedAuction &win) {
                return win.id == m_wins[i].id;
            });
            if (stays == wins.end())
                m_leaving.append({m_wins[i], int(i)});
            else
                m_from.insert(m_wins[i].id, int(i));
        }
        m_wins = wins;
        updateGeometry();
        // New wins come in at the top, fading, and push the others down; those
        // pushed past the last place fade out below.
        Motion::tween(this, "rows", kRowsMs, QEasingCurve::InOutQuad, [this](qreal t) {
            m_progress = t;
            update();
        });
    }
    int rowHeight() const { return std::max(kAvatarSize, QFontMetrics(m_caption).height()) + 2 * kRowPadY; }
    QSize sizeHint() const override { return QSize(kCardWidth, int(m_wins.size()) * rowHeight()); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const qreal h = rowHeight();
        const qreal p = m_progress;
        for (qsizetype i = 0; i < m_wins.size(); ++i) {
            const auto from = m_from.constFind(m_wins[i].id);
            if (p >= 1.0 || from != m_from.constEnd())
                paintRow(painter, m_wins[i], (p >= 1.0 ? i : *from + (i - *from) * p) * h, 1.0);
            else
                paintRow(painter, m_wins[i], (i - 1 + p) * h, p);
        }
        if (p < 1.0) {
            for (const auto &[win, index] : std::as_const(m_leaving))
                paintRow(painter, win, (index + p) * h, 1.0 - p);
        }
    }

private:
    void paintRow(QPainter &painter, const CapturedAuction &win, qreal top, qreal opacity)
    {
        const QFontMetrics caption(m_caption);
        painter.setOpacity(opacity);
        const QRect row = QRect(0, qRound(top), width(), rowHeight())
                              .adjusted(kRowPadX, kRowPadY, -kRowPadX, -kRowPadY);
        paintUserAvatar(painter,
                        QRectF(row.left(), row.center().y() - kAvatarSize / 2.0 + 0.5, kAvatarSize, kAvatarSize),
                        win.winnerUsername, m_avatars->image(win.avatarURL));
        int right = row.right();
        if (win.auctionNumber) {
            const FigureText number(auctionNumberText(*win.auctionNumber), m_small);
            const int w = number.width();
            painter.setPen(secondaryTextColor());
            number.draw(painter, QRect(right - w + 1, row.top(), w, row.height()), Qt::AlignVCenter);
            right -= w + kRowSpacing;
        }
        const FigureText amount(dollarText(win.salePrice), m_price);
        const int amountWidth = amount.width();
        painter.setPen(primaryTextColor());
        amount.draw(painter, QRect(right - amountWidth + 1, row.top(), amountWidth, row.height()),
                    Qt::AlignVCenter);
        right -= amountWidth + kRowSpacing;
        const int left = row.left() + kAvatarSize + kRowSpacing;
        const QRect name(left, row.top(), std::max(0, right - left + 1), row.height());
        painter.setFont(m_caption);
        painter.drawText(name, Qt::AlignVCenter | Qt::TextSingleLine,
                         caption.elidedText(QLatin1Char('@') + oneLine(win.winnerUsername), Qt::ElideRight,
                                            name.width()));
        painter.setOpacity(1.0);
    }

private:
    QFont m_caption;
    QFont m_price;
    QFont m_small;
    RowAvatarCache *m_avatars;
    QList<CapturedAuction> m_wins;
    // While the rows move: where each staying win stood, and the wins going.
    QHash<QString, int> m_from;
    QList<std::pair<CapturedAuction, int>> m_leaving;
    qreal m_progress = 1.0;
};

FloatingWinFeed::FloatingWinFeed(AppState &app, SidebarSelection &selection, QWidget *parent)
    : QWidget(parent), m_controller(new FloatingWinFeedController(app, selection, this))
{
    setObjectName(QStringLiteral("floatingWinFeed"));
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(kOuterPadding, kOuterPadding, kOuterPadding, kOuterPadding);
    outer->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(metrics::compact, metrics::small, metrics::compact, metrics::xxSmall);
    header->setSpacing(metrics::xSmall);
    auto *dot = new LiveDot(this);
    PulseEffect::apply(dot);
    header->addWidget(dot, 0, Qt::AlignVCenter);
    header->addWidget(styledLabel(QStringLiteral("Live"), textFont(TextStyle::caption, QFont::Bold),
                                  primaryTextColor(), this));
    m_count = styledLabel(QString(), textFont(TextStyle::caption), secondaryTextColor(), this);
    m_count->setObjectName(QStringLiteral("capturedCount"));
    m_count->setTextFormat(Qt::PlainText);
    header->addWidget(m_count);
    header->addStretch(1);
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    m_close->setAutoRaise(true);
    m_close->setCursor(Qt::ArrowCursor);
    m_close->setIcon(symbolIcon(QStringLiteral("xmark"), secondaryTextColor()));
    m_close->setIconSize(QSize(9, 9));
    m_close->setToolTip(QStringLiteral("Close"));
    connect(m_close, &QToolButton::clicked, m_controller, &FloatingWinFeedController::dismiss);
    header->addWidget(m_close);
    outer->addLayout(header);

    auto *rule = new QWidget(this);
    rule->setFixedHeight(1);
    rule->setAutoFillBackground(true);
    QPalette rulePalette = rule->palette();
    rulePalette.setColor(QPalette::Window, quaternaryFillColor());
    rule->setPalette(rulePalette);
    auto *ruleRow = new QHBoxLayout;
    ruleRow->setContentsMargins(metrics::insets(metrics::small, 0));
    ruleRow->addWidget(rule);
    outer->addLayout(ruleRow);

    m_waiting = styledLabel(QStringLiteral("Waiting for wins..."), textFont(TextStyle::caption),
                            tertiaryTextColor(), this);
    m_waiting->setObjectName(QStringLiteral("waitingLabel"));
    m_waiting->setContentsMargins(metrics::insets(metrics::compact, metrics::small));
    outer->addWidget(m_waiting);
    m_rows = new WinRows(this);
    auto *rowsBox = new QVBoxLayout;
    rowsBox->setContentsMargins(metrics::insets(0, metrics::xxSmall));
    rowsBox->addWidget(m_rows);
    outer->addLayout(rowsBox);

    setFixedWidth(kCardWidth + 2 * kOuterPadding);
    connect(m_controller, &FloatingWinFeedController::changed, this, &FloatingWinFeed::follow);
    follow();
}

FloatingWinFeed::~FloatingWinFeed() = default;

QRect FloatingWinFeed::cardRect() const
{
    return rect().adjusted(kOuterPadding, kOuterPadding, -kOuterPadding, -kOuterPadding);
}

QSize FloatingWinFeed::sizeHint() const
{
    return QSize(kCardWidth + 2 * kOuterPadding, layout()->sizeHint().height());
}

void FloatingWinFeed::follow()
{
    Motion::count(m_count, int(m_controller->capturedCount()), [](int count) { return capturedText(count); });
    m_wins = m_controller->recentWins();
    m_rows->setWins(m_wins);
    m_waiting->setVisible(m_wins.isEmpty());
    m_rows->setVisible(!m_wins.isEmpty());
    m_following = true;
    if (m_controller->shouldShow())
        Motion::setShown(this, true, MotionPose::moved(QPointF(width(), 0)), kCardInMs);
    else
        Motion::setShown(this, false, MotionPose::moved(QPointF(width(), 0)), kCardOutMs, QEasingCurve::OutCubic);
    m_following = false;
    layout()->invalidate();
    adjustSize();
    updateGeometry();
}

void FloatingWinFeed::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A new parent hides a widget; the card decides for itself whether it shows.
    if (event->type() == QEvent::ParentChange && !m_following)
        follow();
}

void FloatingWinFeed::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(cardRect());
    // A soft shadow below the card: black at 20 %, spread over about 8 points, 2 down.
    for (int step = 8; step >= 1; --step) {
        QPainterPath shade;
        shade.addRoundedRect(card.adjusted(-step, -step + 2, step, step + 2), kCornerRadius + step,
                             kCornerRadius + step);
        painter.fillPath(shade, QColor(0, 0, 0, int(0.2 * 255 / 8.0 * (9 - step) / 4.5)));
    }
    QPainterPath shape;
    shape.addRoundedRect(card, kCornerRadius, kCornerRadius);
    // The material: the card colour, translucent, over whatever lies beneath.
    QColor fill = cardBackgroundColor();
    fill.setAlphaF(0.88);
    painter.fillPath(shape, fill);
    QColor outline = secondaryTextColor();
    outline.setAlphaF(0.2);
    painter.setPen(QPen(outline, 0.5));
    painter.drawPath(shape);
}

void FloatingWinFeed::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        m_controller->openLiveShow();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace quill
