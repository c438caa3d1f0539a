#include "ui/live/live_show_view.h"

#include "capture/whatnot_session.h"
#include "ui/lists/print_log_panel.h"
#include "ui/live/live_header_bar.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_side_panel.h"
#include "ui/live/live_stage.h"
#include "ui/live/live_status_bar.h"
#include "ui/live/onboarding_banner.h"
#include "ui/live/page_box.h"
#include "ui/live/show_connect_view.h"
#include "ui/widgets/buttons.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace quill {

namespace {

// A place another part of the screen fills later; empty for now.
QWidget *slotWidget(const QString &objectName, QWidget *parent)
{
    auto *slot = new QWidget(parent);
    slot->setObjectName(objectName);
    auto *layout = new QVBoxLayout(slot);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return slot;
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFixedHeight(1);
    fillBackground(line, quaternaryFillColor());
    return line;
}

// The print log's panel: a thin dark material in a rounded rectangle.
class MaterialPanel final : public QWidget
{
public:
    explicit MaterialPanel(QWidget *parent) : QWidget(parent) { setAttribute(Qt::WA_NoSystemBackground); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(255, 255, 255, 24), 1));
        painter.setBrush(QColor(36, 38, 46, 248));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }
};

} // namespace

LiveShowView::LiveShowView(AppState &appState, QWidget *parent)
    : LiveShowView(*new LiveShowController(LiveServices::of(appState)), parent)
{
    m_ownController.reset(&m_controller);
}

LiveShowView::LiveShowView(LiveShowController &controller, QWidget *parent)
    : QWidget(parent), m_controller(controller)
{
    setObjectName(QStringLiteral("liveShowView"));
    setWindowTitle(QStringLiteral("Live Show"));
    // The tab choice belongs to one screen: the controller outlives it, a new screen starts on Sold.
    m_controller.setSelectedTab(LiveTab::sold);
    fillBackground(this, appBackgroundColor());

    // The one view of the marketplace page: it moves between the login panel and
    // the live content, so the page is never shown twice nor reloaded by a new view.
    if (QWebEnginePage *page = controller.services().session.webPage()) {
        m_pageView = new QWebEngineView(this);
        m_pageView->setObjectName(QStringLiteral("marketplacePageView"));
        m_pageView->setPage(page);
        m_pageView->hide();
    }

    m_pages = new QStackedLayout(this);
    m_pages->setContentsMargins(0, 0, 0, 0);
    m_promptPage = buildPrompt();
    m_loginPage = buildLoginPanel();
    m_connectPage = buildConnect();
    m_livePage = buildLive();
    for (QWidget *page : {m_promptPage, m_loginPage, m_connectPage, m_livePage})
        m_pages->addWidget(page);
    OnboardingBanner::install(*this);

    bind();
    followState();
}

LiveShowView::~LiveShowView()
{
    // The page belongs to the session and outlives this view.
    if (m_pageView)
        m_pageView->setPage(nullptr);
    if (m_endConfirmation)
        m_controller.setShowEndConfirmation(false);
}

QWidget *LiveShowView::currentPage() const
{
    return m_pages->currentWidget();
}

QWidget *LiveShowView::buildPrompt()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("signInPrompt"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_promptBanner = slotWidget(QStringLiteral("promptBannerSlot"), page);
    layout->addWidget(m_promptBanner);

    auto *column = new QVBoxLayout;
    column->setSpacing(metrics::regular);
    column->addStretch(1);
    auto *icon = new QLabel(page);
    icon->setPixmap(
        symbolPixmap(QStringLiteral("video.badge.waveform"), 48, secondaryTextColor(), devicePixelRatioF()));
    column->addWidget(icon, 0, Qt::AlignHCenter);
    column->addWidget(styledLabel(QStringLiteral("Connect to Whatnot"),
                                  textFont(TextStyle::title2, QFont::Bold), primaryTextColor(), page),
                      0, Qt::AlignHCenter);
    auto *description =
        styledLabel(QStringLiteral("Sign in to your Whatnot account to manage your live show."),
                    textFont(TextStyle::subheadline), secondaryTextColor(), page);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignCenter);
    description->setMaximumWidth(300);
    // Centred by stretches: an aligned wrapped label would lose its last line.
    auto *descriptionRow = new QHBoxLayout;
    descriptionRow->addStretch(1);
    descriptionRow->addWidget(description, 100);
    descriptionRow->addStretch(1);
    column->addLayout(descriptionRow);

    m_signIn = prominentButton(QStringLiteral("Sign In"), QStringLiteral("arrow.right.circle.fill"),
                               ProminentSize::large, page);
    m_signIn->setObjectName(QStringLiteral("signInButton"));
    connect(m_signIn, &QPushButton::clicked, &m_controller,
            [this] { m_controller.setShowLoginWebView(true); });
    column->addSpacing(metrics::xxSmall);
    column->addWidget(m_signIn, 0, Qt::AlignHCenter);
    column->addStretch(1);
    layout->addLayout(column, 1);
    return page;
}

QWidget *LiveShowView::buildLoginPanel()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("loginPanel"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(metrics::insets(metrics::regular));
    header->addWidget(styledLabel(QStringLiteral("Sign in to Whatnot"), textFont(TextStyle::headline),
                                  primaryTextColor(), page));
    header->addStretch(1);
    m_cancel =
        tintedButton(QStringLiteral("Cancel"), QString(), primaryTextColor(), ControlSize::small, page);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(m_cancel, &QPushButton::clicked, &m_controller, [this] { m_controller.cancelLogin(); });
    header->addWidget(m_cancel);
    layout->addLayout(header);
    layout->addWidget(divider(page));

    m_loginPageHost = slotWidget(QStringLiteral("loginPageHost"), page);
    fillBackground(m_loginPageHost, Qt::white);
    layout->addWidget(m_loginPageHost, 1);
    return page;
}

QWidget *LiveShowView::buildConnect()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("connectPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_connectBanner = slotWidget(QStringLiteral("connectBannerSlot"), page);
    layout->addWidget(m_connectBanner);
    m_connectScreen = slotWidget(QStringLiteral("connectScreenSlot"), page);
    m_connectScreen->layout()->addWidget(new ShowConnectView(
        m_controller.services().showSync, m_controller.services().session, m_connectScreen));
    layout->addWidget(m_connectScreen, 1);
    return page;
}

QWidget *LiveShowView::buildLive()
{
    auto *column = new QWidget;
    column->setObjectName(QStringLiteral("sidePanelColumn"));
    fillBackground(column, appBackgroundColor());
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_header = new LiveHeaderBar(m_controller, column);
    layout->addWidget(m_header);
    layout->addWidget(divider(column));
    m_sidePanelContent = slotWidget(QStringLiteral("sidePanelContentSlot"), column);
    m_sidePanelContent->layout()->addWidget(new LiveSidePanel(m_controller, m_sidePanelContent));
    layout->addWidget(m_sidePanelContent, 1);
    layout->addWidget(divider(column));
    m_status = new LiveStatusBar(m_controller, column);
    layout->addWidget(m_status);

    m_printLog = new MaterialPanel(nullptr);
    m_printLog->setObjectName(QStringLiteral("printLogSlot"));
    auto *logLayout = new QVBoxLayout(m_printLog);
    logLayout->setContentsMargins(0, 0, 0, 0);
    logLayout->addWidget(new PrintLogPanel(m_controller.services().app, nullptr, m_printLog));

    m_pageBox = new PageBox;
    LiveShowController *controller = &m_controller;
    m_stage = new LiveStage(column, m_printLog, m_pageBox, [controller](QSize area) {
        return QRect(controller->pipOrigin(QSizeF(area)).toPoint(), LiveLayout::kPipSize.toSize());
    });
    m_stage->setPrintLogBounds(m_header, m_status);
    m_stage->setParent(this);
    connect(m_pageBox, &PageBox::toggleRequested, &m_controller, &LiveShowController::toggleExpanded);
    connect(m_pageBox, &PageBox::dragMoved, &m_controller, [controller](QPoint translation) {
        controller->dragChanged(QSizeF(translation.x(), translation.y()));
    });
    connect(m_pageBox, &PageBox::dragEnded, &m_controller, [controller](QPoint translation) {
        controller->dragEnded(QSizeF(translation.x(), translation.y()));
    });
    return m_stage;
}

void LiveShowView::bind()
{
    LiveShowController *c = &m_controller;
    connect(c, &LiveShowController::statusChanged, this,
            [this](const LiveShowController::Status &now, const LiveShowController::Status &before) {
                if (now.screenState != before.screenState)
                    followState();
                if (now.showPrintLog != before.showPrintLog)
                    m_stage->setShowPrintLog(now.showPrintLog);
            });
    connect(c, &LiveShowController::showLoginWebViewChanged, this, &LiveShowView::followState);
    connect(c, &LiveShowController::webViewExpandedChanged, m_stage, &LiveStage::setExpanded);
    connect(c, &LiveShowController::showVideoChanged, m_stage, &LiveStage::setShowVideo);
    connect(c, &LiveShowController::pipMoved, m_stage, &LiveStage::placePageBox);
    connect(c, &LiveShowController::showEndConfirmationChanged, this, &LiveShowView::followEndConfirmation);
    m_stage->setExpanded(c->webViewExpanded());
    m_stage->setShowVideo(c->showVideo());
    m_stage->setShowPrintLog(c->status().showPrintLog);
    if (c->showEndConfirmation())
        followEndConfirmation(true);
}

void LiveShowView::followState()
{
    Page page = Page::prompt;
    switch (m_controller.status().screenState) {
    case LiveShowController::ScreenState::signedOut:
        page = m_controller.showLoginWebView() ? Page::login : Page::prompt;
        break;
    case LiveShowController::ScreenState::connect:
        page = Page::connect;
        break;
    case LiveShowController::ScreenState::live:
        page = Page::live;
        break;
    }
    const bool changed = page != m_page || m_pages->currentIndex() != int(page);
    m_page = page;
    if (changed) {
        m_pages->setCurrentIndex(int(page));
        m_pageAnnounced = false;
    }
    placePageView();
    // The controller hears of a page only when it is really on screen.
    if (isVisible() && !m_pageAnnounced) {
        m_pageAnnounced = true;
        if (m_page == Page::login)
            m_controller.loginPanelShown();
        else if (m_page == Page::live)
            m_controller.liveContentShown();
    }
}

void LiveShowView::placePageView()
{
    if (!m_pageView)
        return;
    switch (m_page) {
    case Page::login:
        if (m_pageView->parentWidget() != m_loginPageHost) {
            m_pageBox->setPageView(nullptr);
            m_pageView->setParent(m_loginPageHost);
            m_loginPageHost->layout()->addWidget(m_pageView);
        }
        m_pageView->show();
        break;
    case Page::live:
        if (m_pageView->parentWidget() != m_pageBox) {
            m_loginPageHost->layout()->removeWidget(m_pageView);
            m_pageBox->setPageView(m_pageView);
        }
        break;
    case Page::prompt:
    case Page::connect:
        // Off screen; the page keeps running.
        if (m_pageView->parentWidget() == m_loginPageHost)
            m_loginPageHost->layout()->removeWidget(m_pageView);
        m_pageBox->setPageView(nullptr);
        m_pageView->setParent(this);
        m_pageView->hide();
        break;
    }
}

void LiveShowView::followEndConfirmation(bool shown)
{
    if (!shown) {
        if (m_endConfirmation)
            m_endConfirmation->close();
        return;
    }
    if (m_endConfirmation)
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, kEndConfirmationTitle, kEndConfirmationTitle,
                                QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("endConfirmation"));
    box->setInformativeText(kEndConfirmationMessage);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    QPushButton *end = box->addButton(QStringLiteral("End Show"), QMessageBox::DestructiveRole);
    end->setObjectName(QStringLiteral("confirmEndShow"));
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    m_endConfirmation = box;
    connect(box, &QMessageBox::finished, this, [this, box, end] {
        const bool confirmed = box->clickedButton() == end;
        m_endConfirmation = nullptr;
        m_controller.setShowEndConfirmation(false);
        if (confirmed)
            m_controller.endCurrentShow();
    });
    box->open();
}

void LiveShowView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // the window came back from the taskbar: the screen never left
    m_controller.screenShown();
    m_pageAnnounced = false;
    followState();
}

void LiveShowView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    m_pageAnnounced = false;
    m_controller.screenHidden();
}

} // namespace quill
