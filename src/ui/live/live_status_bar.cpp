#include "ui/live/live_status_bar.h"

#include "ui/live/live_show_controller.h"
#include "ui/widgets/buttons.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace quill {

namespace {

QLabel *indicator(const QString &objectName, const QString &symbol, const QString &toolTip, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setPixmap(symbolPixmap(symbol, 11, brandGreenColor(), parent->devicePixelRatioF()));
    label->setToolTip(toolTip);
    return label;
}

} // namespace

LiveStatusBar::LiveStatusBar(LiveShowController &controller, QWidget *parent)
    : QWidget(parent), m_controller(controller),
      m_syncing(indicator(QStringLiteral("syncIndicator"), QStringLiteral("arrow.triangle.2.circlepath"),
                          QStringLiteral("Syncing to server"), this)),
      m_polling(indicator(QStringLiteral("pollIndicator"),
                          QStringLiteral("antenna.radiowaves.left.and.right"),
                          QStringLiteral("Listening for sold items"), this)),
      m_captured(styledLabel(QString(), textFont(TextStyle::caption), secondaryTextColor(), this)),
      m_leave(plainButton(QStringLiteral("Leave Stream"), QStringLiteral("xmark"), secondaryTextColor(),
                          textFont(TextStyle::caption), this)),
      m_endShow(plainButton(QStringLiteral("End Show"), QStringLiteral("stop.circle.fill"),
                            systemColor(SystemColor::red), textFont(TextStyle::callout, QFont::Medium), this))
{
    setObjectName(QStringLiteral("statusBar"));
    m_captured->setObjectName(QStringLiteral("capturedCount"));
    m_leave->setObjectName(QStringLiteral("leaveStreamButton"));
    m_endShow->setObjectName(QStringLiteral("endShowButton"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(metrics::insets(metrics::regular));
    layout->setSpacing(metrics::small);
    layout->addWidget(m_syncing);
    layout->addWidget(m_polling);
    layout->addWidget(m_captured);
    layout->addStretch(1);
    layout->addWidget(m_leave);
    layout->addWidget(m_endShow);

    connect(m_endShow, &QPushButton::clicked, &m_controller,
            [this] { m_controller.setShowEndConfirmation(true); }); // asks first
    connect(m_leave, &QPushButton::clicked, &m_controller, &LiveShowController::leaveStream);
    connect(&m_controller, &LiveShowController::statusChanged, this, &LiveStatusBar::showStatus);
    showStatus(controller.status());
}

void LiveStatusBar::showStatus(const LiveShowController::Status &status)
{
    m_syncing->setVisible(status.isSyncing);
    m_polling->setVisible(status.isPolling);
    m_captured->setText(status.capturedText());
    m_endShow->setVisible(status.showEndShowButton);
    m_endShow->setEnabled(!status.isEndingShow);
    m_leave->setVisible(status.showLeaveStream);
}

} // namespace quill
