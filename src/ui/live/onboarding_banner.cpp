#include "ui/live/onboarding_banner.h"

#include "app/app_state.h"
#include "backend/auth_manager.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_show_view.h"
#include "ui/live/onboarding_controller.h"
#include "ui/widgets/card.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

namespace {

QColor secondaryAt(qreal opacity)
{
    QColor color = secondaryTextColor();
    color.setAlphaF(float(opacity));
    return color;
}

// One capsule per step, green from the left for as many steps as are done.
class StepProgress final : public QWidget
{
public:
    static constexpr int kCapsuleWidth = 24;
    static constexpr int kCapsuleHeight = 4;
    static constexpr int kSpacing = 4;

    explicit StepProgress(QWidget *parent) : QWidget(parent) { setFixedHeight(kCapsuleHeight); }

    void setCounts(int completed, int total)
    {
        m_completed = completed;
        m_total = total;
        setFixedWidth(std::max(0, total * (kCapsuleWidth + kSpacing) - kSpacing));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (int i = 0; i < m_total; ++i) {
            painter.setBrush(i < m_completed ? brandGreenColor() : secondaryAt(0.3));
            painter.drawRoundedRect(QRectF(i * (kCapsuleWidth + kSpacing), 0, kCapsuleWidth, kCapsuleHeight),
                                    kCapsuleHeight / 2.0, kCapsuleHeight / 2.0);
        }
    }

private:
    int m_completed = 0;
    int m_total = 0;
};

// The next step's number in a thin circle.
class NumberBadge final : public QWidget
{
public:
    explicit NumberBadge(QWidget *parent) : QWidget(parent) { setFixedSize(20, 20); }

    void setNumber(int number)
    {
        m_number = number;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(secondaryAt(0.4), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75));
        painter.setPen(secondaryTextColor());
        painter.setFont(systemFont(10, QFont::DemiBold));
        painter.drawText(rect(), Qt::AlignCenter, QString::number(m_number));
    }

private:
    int m_number = 1;
};

} // namespace

OnboardingBanner::OnboardingBanner(OnboardingController &controller, QMargins padding, QWidget *parent)
    : QWidget(parent), m_controller(&controller), m_padding(padding)
{
    setObjectName(QStringLiteral("onboardingBanner"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    m_card = new Card(this);
    m_card->setObjectName(QStringLiteral("onboardingCard"));
    m_card->setCornerRadius(10);
    m_card->setOutlineOpacity(0.12);
    m_card->setContentsMargins(metrics::insets(metrics::regular));
    outer->addWidget(m_card);

    auto *column = new QVBoxLayout(m_card);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(metrics::small);

    auto *header = new QHBoxLayout;
    header->setSpacing(metrics::xSmall);
    header->addWidget(styledLabel(QStringLiteral("Getting Started"),
                                  textFont(TextStyle::subheadline, QFont::DemiBold), primaryTextColor(),
                                  m_card));
    QFont countFont = textFont(TextStyle::caption2);
    countFont.setStyleHint(QFont::TypeWriter);
    countFont.setFamilies({QStringLiteral("monospace")});
    m_count = styledLabel(QString(), countFont, secondaryTextColor(), m_card);
    m_count->setObjectName(QStringLiteral("onboardingCount"));
    header->addWidget(m_count);
    header->addStretch(1);
    m_dismiss = new QToolButton(m_card);
    m_dismiss->setObjectName(QStringLiteral("onboardingDismissButton"));
    m_dismiss->setAutoRaise(true);
    m_dismiss->setCursor(Qt::PointingHandCursor);
    m_dismiss->setToolTip(QStringLiteral("Dismiss"));
    m_dismiss->setIcon(symbolIcon(QStringLiteral("xmark"), secondaryTextColor()));
    m_dismiss->setIconSize(QSize(10, 10));
    m_dismiss->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 2px; }"));
    connect(m_dismiss, &QToolButton::clicked, &controller, &OnboardingController::dismiss);
    header->addWidget(m_dismiss);
    column->addLayout(header);

    auto *progress = new StepProgress(m_card);
    m_progress = progress;
    column->addWidget(progress);

    auto *next = new QHBoxLayout;
    next->setSpacing(metrics::small);
    m_badge = new NumberBadge(m_card);
    next->addWidget(m_badge, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(metrics::hairline);
    m_nextTitle =
        styledLabel(QString(), textFont(TextStyle::caption, QFont::Medium), primaryTextColor(), m_card);
    m_nextTitle->setObjectName(QStringLiteral("onboardingNextTitle"));
    m_nextSubtitle = styledLabel(QString(), textFont(TextStyle::caption2), secondaryTextColor(), m_card);
    m_nextSubtitle->setObjectName(QStringLiteral("onboardingNextSubtitle"));
    m_nextSubtitle->setWordWrap(true);
    texts->addWidget(m_nextTitle);
    texts->addWidget(m_nextSubtitle);
    next->addLayout(texts, 1);
    column->addLayout(next);

    connect(&controller, &OnboardingController::changed, this, &OnboardingBanner::refresh);
    refresh();
}

OnboardingBanner::~OnboardingBanner()
{
    if (m_onScreen && m_controller)
        m_controller->bannerHidden();
}

OnboardingController &OnboardingBanner::install(LiveShowView &view)
{
    const LiveServices &services = view.controller().services();
    auto *controller =
        new OnboardingController(services.session, &services.auth.api(), services.app.settings(), &view);
    // Above the prompt the card is inset from the top and the sides; above the connect
    // screen on every side, so that screen's own bar can run edge to edge below it.
    constexpr int inset = metrics::large;
    view.promptBannerSlot()->layout()->addWidget(
        new OnboardingBanner(*controller, QMargins(inset, inset, inset, 0), view.promptBannerSlot()));
    view.connectBannerSlot()->layout()->addWidget(
        new OnboardingBanner(*controller, metrics::insets(inset), view.connectBannerSlot()));
    return *controller;
}

void OnboardingBanner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous() || m_onScreen || !m_controller)
        return;
    m_onScreen = true;
    m_controller->bannerShown();
}

void OnboardingBanner::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous() || !m_onScreen || !m_controller)
        return;
    m_onScreen = false;
    m_controller->bannerHidden();
}

void OnboardingBanner::refresh()
{
    if (!m_controller)
        return;
    const OnboardingController &controller = *m_controller;
    const int completed = controller.completedCount();
    const int total = int(controller.steps().size());
    m_count->setText(QStringLiteral("%1 of %2").arg(completed).arg(total));
    static_cast<StepProgress *>(m_progress)->setCounts(completed, total);
    static_cast<NumberBadge *>(m_badge)->setNumber(completed + 1);
    const auto next = controller.nextStep();
    m_nextTitle->setText(next ? next->title : QString());
    m_nextSubtitle->setText(next ? next->subtitle : QString());
    const bool visible = controller.isCardVisible();
    // The card comes down from the top edge and goes back up, fading.
    Motion::setShown(m_card, visible, MotionPose::moved(QPointF(0, -m_card->sizeHint().height())),
                     kCardMotionMs, QEasingCurve::OutCubic);
    // Collapsed, the banner takes no room above the page, its padding included.
    layout()->setContentsMargins(visible ? m_padding : QMargins());
}

} // namespace quill
