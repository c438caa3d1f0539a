#include "ui/live/live_header_bar.h"

#include "ui/live/live_controls.h"
#include "ui/live/live_show_controller.h"
#include "ui/widgets/buttons.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

namespace {

// The staff panel's frame: a 1 pt rounded outline in the staff accent.
class AdminPanelFrame final : public QFrame
{
public:
    explicit AdminPanelFrame(QWidget *parent) : QFrame(parent) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(adminOrange(), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    }
};

QToolButton *iconButton(const QString &objectName, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setAutoRaise(true);
    button->setIconSize(QSize(14, 14));
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QToolButton { border: none; background: transparent; padding: 2px; }"));
    return button;
}

} // namespace

LiveHeaderBar::LiveHeaderBar(LiveShowController &controller, QWidget *parent)
    : QWidget(parent), m_controller(controller)
{
    setObjectName(QStringLiteral("headerBar"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(metrics::insets(metrics::regular));
    layout->setSpacing(metrics::small);
    layout->addWidget(buildHeaderRow());
    layout->addWidget(buildAdminPanel());
    layout->addWidget(buildQueueBanner());

    m_error = styledLabel(QString(), textFont(TextStyle::caption), systemColor(SystemColor::red), this);
    m_error->setObjectName(QStringLiteral("errorLine"));
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // At most two lines.
    m_error->setMaximumHeight(2 * QFontMetrics(m_error->font()).lineSpacing() + 2);
    layout->addWidget(m_error);

    bind();
}

QWidget *LiveHeaderBar::buildHeaderRow()
{
    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("headerRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::small);

    m_printing = tintedButton(QString(), QString(), brandGreenColor(), ControlSize::small, row);
    m_printing->setObjectName(QStringLiteral("printingButton"));
    connect(m_printing, &QPushButton::clicked, &m_controller, &LiveShowController::togglePrinting);
    layout->addWidget(m_printing);

    m_mode = new QComboBox(row);
    m_mode->setObjectName(QStringLiteral("modePicker"));
    m_mode->setAccessibleName(QStringLiteral("Mode"));
    m_mode->setMaximumWidth(100);
    m_mode->setFont(textFont(TextStyle::caption));
    for (LabelMode mode : kAllLabelModes)
        m_mode->addItem(labelModeTitle(mode), QVariant::fromValue(int(mode)));
    connect(m_mode, &QComboBox::activated, &m_controller,
            [this](int index) { m_controller.setLabelMode(LabelMode(m_mode->itemData(index).toInt())); });
    layout->addWidget(m_mode);
    layout->addStretch(1);

    m_admin = iconButton(QStringLiteral("adminButton"), row);
    m_admin->setToolTip(QStringLiteral("Admin Tools"));
    m_admin->setIconSize(QSize(12, 12));
    connect(m_admin, &QToolButton::clicked, &m_controller,
            [this] { m_controller.setShowAdmin(!m_controller.showAdmin()); });
    layout->addWidget(m_admin);

    m_printLog = iconButton(QStringLiteral("printLogButton"), row);
    m_printLog->setIcon(symbolIcon(QStringLiteral("sidebar.right"), primaryTextColor()));
    connect(m_printLog, &QToolButton::clicked, &m_controller, &LiveShowController::togglePrintLog);
    layout->addWidget(m_printLog);
    return row;
}

QFrame *LiveHeaderBar::buildAdminPanel()
{
    m_adminPanel = new AdminPanelFrame(this);
    m_adminPanel->setObjectName(QStringLiteral("adminToolsPanel"));
    auto *column = new QVBoxLayout(m_adminPanel);
    column->setContentsMargins(metrics::insets(metrics::small));
    column->setSpacing(metrics::xSmall);
    auto *row = new QHBoxLayout;
    row->setSpacing(metrics::small);
    column->addLayout(row);

    m_disconnect = plainButton(QStringLiteral("Disconnect"), QString(), systemColor(SystemColor::red),
                               textFont(TextStyle::caption), m_adminPanel);
    m_disconnect->setObjectName(QStringLiteral("disconnectButton"));
    connect(m_disconnect, &QPushButton::clicked, &m_controller, &LiveShowController::disconnect);
    row->addWidget(m_disconnect);

    m_scrapeSold = tintedButton(QStringLiteral("Scrape Sold"), QStringLiteral("arrow.down.doc"),
                                primaryTextColor(), ControlSize::mini, m_adminPanel);
    m_scrapeSold->setObjectName(QStringLiteral("scrapeSoldButton"));
    connect(m_scrapeSold, &QPushButton::clicked, &m_controller, &LiveShowController::scrapeSold);
    row->addWidget(m_scrapeSold);
    row->addStretch(1);

    m_video = new SwitchToggle(QStringLiteral("Video"), QStringLiteral("video"), m_adminPanel);
    m_video->setObjectName(QStringLiteral("videoSwitch"));
    connect(m_video, &SwitchToggle::clicked, &m_controller, &LiveShowController::setShowVideo);
    row->addWidget(m_video);

    m_clean = new SwitchToggle(QStringLiteral("Clean"), QStringLiteral("eye.slash"), m_adminPanel);
    m_clean->setObjectName(QStringLiteral("cleanSwitch"));
    connect(m_clean, &SwitchToggle::clicked, &m_controller, &LiveShowController::setStreamClean);
    row->addWidget(m_clean);
    return m_adminPanel;
}

QWidget *LiveHeaderBar::buildQueueBanner()
{
    m_queueBanner = new QWidget(this);
    m_queueBanner->setObjectName(QStringLiteral("printerQueueBanner"));
    auto *layout = new QHBoxLayout(m_queueBanner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::xSmall);
    const QColor orange = systemColor(SystemColor::orange);
    auto *icon = new QLabel(m_queueBanner);
    icon->setPixmap(
        symbolPixmap(QStringLiteral("exclamationmark.triangle.fill"), 12, orange, devicePixelRatioF()));
    layout->addWidget(icon);
    m_queueText = styledLabel(QStringLiteral("Printer queue stopped"), textFont(TextStyle::caption), orange,
                              m_queueBanner);
    m_queueText->setObjectName(QStringLiteral("printerQueueText"));
    // lp's reason is shown as it came, never as markup.
    m_queueText->setTextFormat(Qt::PlainText);
    m_queueText->setWordWrap(true);
    layout->addWidget(m_queueText);
    layout->addStretch(1);
    m_fix = tintedButton(QStringLiteral("Fix"), QString(), orange, ControlSize::mini, m_queueBanner);
    m_fix->setObjectName(QStringLiteral("fixButton"));
    connect(m_fix, &QPushButton::clicked, &m_controller, &LiveShowController::repairStoppedQueues);
    layout->addWidget(m_fix);
    return m_queueBanner;
}

void LiveHeaderBar::bind()
{
    LiveShowController *c = &m_controller;
    connect(c, &LiveShowController::statusChanged, this,
            [this](const LiveShowController::Status &now, const LiveShowController::Status &before) {
                showStatus(now, &before);
            });
    connect(c, &LiveShowController::showAdminChanged, this, &LiveHeaderBar::showAdmin);
    connect(c, &LiveShowController::showVideoChanged, this, [this](bool on) {
        m_video->setChecked(on);
        m_clean->setEnabled(on);
    });
    connect(c, &LiveShowController::streamCleanChanged, m_clean, &QAbstractButton::setChecked);

    showStatus(c->status(), nullptr);
    showAdmin();
    m_video->setChecked(c->showVideo());
    m_clean->setChecked(c->streamClean());
    m_clean->setEnabled(c->showVideo());
}

// Only what changed since `before` is touched (the count changes with every win); all without it.
void LiveHeaderBar::showStatus(const LiveShowController::Status &status,
                               const LiveShowController::Status *before)
{
    if (before && status.isPrinting == before->isPrinting && status.labelMode == before->labelMode &&
        status.isAdmin == before->isAdmin && status.showPrintLog == before->showPrintLog &&
        status.canScrapeSold == before->canScrapeSold && status.showQueueBanner == before->showQueueBanner &&
        status.queueBannerText == before->queueBannerText && status.canFixQueue == before->canFixQueue &&
        status.errorText == before->errorText)
        return;
    m_printing->setText(status.printingButtonText());
    setButtonTint(m_printing, status.isPrinting ? QStringLiteral("pause.fill") : QStringLiteral("printer"),
                  status.isPrinting ? systemColor(SystemColor::orange) : brandGreenColor(),
                  ControlSize::small);
    m_mode->setCurrentIndex(m_mode->findData(int(status.labelMode)));
    m_admin->setVisible(status.isAdmin);
    m_printLog->setToolTip(status.printLogToolTip());
    m_scrapeSold->setEnabled(status.canScrapeSold);
    m_queueBanner->setVisible(status.showQueueBanner);
    if (!status.queueBannerText.isEmpty())
        m_queueText->setText(status.queueBannerText);
    m_fix->setVisible(status.canFixQueue);
    m_error->setText(status.errorText);
    m_error->setVisible(!status.errorText.isEmpty());
}

void LiveHeaderBar::showAdmin()
{
    const bool open = m_controller.showAdmin();
    m_admin->setIcon(symbolIcon(QStringLiteral("wrench"), open ? adminOrange() : secondaryTextColor()));
    m_adminPanel->setVisible(open);
}

} // namespace quill
