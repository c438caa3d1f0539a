#include "ui/history/show_history_view.h"

#include "app/app_state.h"
#include "backend/auth_manager.h"
#include "backend/show_history_store.h"
#include "printing/print_service.h"
#include "ui/history/show_detail_view.h"
#include "ui/history/show_history_controller.h"
#include "ui/history/show_row_delegate.h"
#include "ui/widgets/empty_state_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/separator_line.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/spinner.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kShadowReach = 20;
constexpr int kCardCorner = 12;
constexpr int kCardFadeMs = 200;

// The black layer at 40% over the list, with the card's soft shadow on it; a click on
// it closes the card. The shadow is drawn here, once per card size, rather than as a
// graphics effect on the card, which would render the whole card off screen and blur it
// again on every paint: a scroll step in a long show would pay for it each time.
class DimLayer final : public QWidget
{
public:
    explicit DimLayer(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("dimLayer")); }

    void setCard(const QRect &card)
    {
        if (card.size() != m_card.size())
            m_shadow = QPixmap();
        m_card = card;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0, 0, 0, 102));
        if (m_card.isEmpty())
            return;
        if (m_shadow.isNull())
            m_shadow = shadowFor(m_card.size(), devicePixelRatioF());
        painter.drawPixmap(m_card.topLeft() - QPoint(kShadowReach, kShadowReach), m_shadow);
    }

private:
    // Rounded rings growing fainter outward, about as dark as a 40-point blur at 33%.
    static QPixmap shadowFor(const QSize &card, qreal dpr)
    {
        const QSize size = card + QSize(2 * kShadowReach, 2 * kShadowReach);
        QPixmap pixmap(size * dpr);
        pixmap.setDevicePixelRatio(dpr);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (int ring = kShadowReach; ring > 0; --ring) {
            const qreal share = 1.0 - qreal(ring) / kShadowReach;
            painter.setBrush(QColor(0, 0, 0, int(12 * share * share)));
            const QRectF area = QRectF(QPointF(kShadowReach, kShadowReach), card).adjusted(-ring, -ring, ring, ring);
            painter.drawRoundedRect(area, kCardCorner + ring, kCardCorner + ring);
        }
        return pixmap;
    }

    QRect m_card;
    QPixmap m_shadow;
};

// The card's frame: an opaque dark fill with rounded corners (12), so the dimmed list
// behind it never shows through the card's text.
class CardFrame final : public QWidget
{
public:
    explicit CardFrame(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("detailCard")); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), kCardCorner, kCardCorner);
        painter.fillPath(shape, palette().color(QPalette::Window).lighter(115));
    }
};

} // namespace

ShowDetailServices showHistoryServices(AppState &appState)
{
    QPointer<AuthManager> auth(&appState.authManager());
    return ShowDetailServices{
        .store = appState.showHistoryStore(),
        .printAdapter = appState.printAdapter(),
        .settings = appState.settings(),
        .printer = std::make_shared<PrintServiceShowPrinter>(appState.printService()),
        .isStaff = [auth] { return auth && isAdmin(auth->state()); },
        // Batch runs belong to the print service, which lives as long as the program.
        .runOwner = &appState.printService(),
        .appearance = appState.labelAppearanceStore(),
    };
}

ShowHistoryView::ShowHistoryView(ShowDetailServices services, QWidget *parent)
    : QWidget(parent), m_services(std::move(services))
{
    setObjectName(QStringLiteral("showHistoryView"));
    m_controller = new ShowHistoryController(m_services.store, this);
    m_model = new ShowHistoryListModel(*m_controller, m_services.locale, m_services.zone, this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *header = new QHBoxLayout;
    header->setContentsMargins(metrics::insets(metrics::regular));
    header->addWidget(styledLabel(QStringLiteral("Shows"), textFont(TextStyle::headline), primaryTextColor(), this));
    header->addStretch(1);
    m_spinner = new Spinner(Spinner::kSmall, this);
    m_spinner->setObjectName(QStringLiteral("historySpinner"));
    header->addWidget(m_spinner);
    m_refresh = new QToolButton(this);
    m_refresh->setObjectName(QStringLiteral("refreshShows"));
    m_refresh->setAutoRaise(true);
    m_refresh->setIcon(symbolIcon(QStringLiteral("arrow.clockwise"), secondaryTextColor()));
    connect(m_refresh, &QToolButton::clicked, m_controller, &ShowHistoryController::refresh);
    header->addWidget(m_refresh);
    layout->addLayout(header);
    layout->addWidget(separatorLine(this));

    m_content = new QStackedWidget(this);
    m_empty = new EmptyStateView(QStringLiteral("film.stack"), QStringLiteral("No Shows"),
                                 QStringLiteral("Past shows will appear here after you run a live show."), m_content);
    m_empty->setObjectName(QStringLiteral("noShows"));
    m_list = new QListView(m_content);
    m_list->setObjectName(QStringLiteral("showsList"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setMouseTracking(true);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setUniformItemSizes(true);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setModel(m_model);
    m_delegate = new ShowRowDelegate(m_list);
    m_list->setItemDelegate(m_delegate);
    m_content->addWidget(m_list);
    m_content->addWidget(m_empty);
    layout->addWidget(m_content, 1);
    m_error = styledLabel(QString(), textFont(TextStyle::caption), systemColor(SystemColor::red), this);
    m_error->setObjectName(QStringLiteral("historyError"));
    m_error->setTextFormat(Qt::PlainText);
    m_error->setWordWrap(true);
    m_error->setContentsMargins(metrics::insets(metrics::small));
    layout->addWidget(m_error);

    m_dim = new DimLayer(this);
    m_dim->installEventFilter(this);
    m_dim->hide();
    m_card = new CardFrame(this);
    auto *cardLayout = new QVBoxLayout(m_card);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    m_card->hide();

    connect(m_delegate, &ShowRowDelegate::rowClicked, this, [this](const QModelIndex &index) {
        if (index.row() < m_controller->shows().size())
            m_controller->select(m_controller->shows().at(index.row()));
    });
    connect(m_delegate, &ShowRowDelegate::liveBadgeClicked, this, &ShowHistoryView::liveShowRequested);
    connect(m_controller, &ShowHistoryController::stateChanged, this, &ShowHistoryView::refresh);
    connect(m_controller, &ShowHistoryController::selectedShowChanged, this, &ShowHistoryView::syncCard);
    refresh();
}

ShowHistoryView::~ShowHistoryView() = default;

ShowDetailView *ShowHistoryView::detailView() const
{
    return m_detail;
}

void ShowHistoryView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_controller->appear();
}

void ShowHistoryView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_controller->disappear();
}

void ShowHistoryView::refresh()
{
    const bool loading = m_controller->isLoading();
    m_spinner->setVisible(loading);
    m_refresh->setEnabled(!loading);
    m_content->setCurrentWidget(m_controller->showsEmptyState() ? static_cast<QWidget *>(m_empty) : m_list);
    const QString error = m_controller->error();
    m_error->setText(error);
    m_error->setVisible(!error.isEmpty());
}

void ShowHistoryView::openShow(const ShowSummary &show)
{
    m_controller->select(show);
}

void ShowHistoryView::closeShow()
{
    m_controller->select(std::nullopt);
}

void ShowHistoryView::syncCard()
{
    const auto &selected = m_controller->selectedShow();
    // The card and the dim layer fade out together, ease-in-out over 0.2 s: the picture
    // of them fades while the card itself is gone at once.
    if (!selected && m_card->isVisible())
        Motion::crossFade(this, kCardFadeMs, QEasingCurve::InOutQuad);
    if (m_detail) {
        m_detail->hide();
        m_detail->deleteLater();
        m_detail = nullptr;
    }
    if (!selected) {
        m_dim->hide();
        m_card->hide();
        return;
    }
    m_detail = new ShowDetailView(*selected, m_services, true, m_card);
    connect(m_detail, &ShowDetailView::dismissRequested, this, &ShowHistoryView::closeShow);
    connect(m_detail, &ShowDetailView::liveShowRequested, this, &ShowHistoryView::liveShowRequested);
    m_card->layout()->addWidget(m_detail);
    placeOverlay();
    m_dim->raise();
    m_card->raise();
    Motion::fadeIn(m_dim, kCardFadeMs, QEasingCurve::InOutQuad);
    Motion::fadeIn(m_card, kCardFadeMs, QEasingCurve::InOutQuad);
}

void ShowHistoryView::placeOverlay()
{
    m_dim->setGeometry(rect());
    const QSize size(std::min(kCardSize.width(), width()), std::min(kCardSize.height(), height()));
    m_card->setGeometry(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size));
    static_cast<DimLayer *>(m_dim)->setCard(m_card->geometry());
}

void ShowHistoryView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeOverlay();
}

bool ShowHistoryView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dim && event->type() == QEvent::MouseButtonRelease) {
        closeShow();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quill
