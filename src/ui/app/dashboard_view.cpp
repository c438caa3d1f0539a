#include "ui/app/dashboard_view.h"

#include "ui/widgets/capsule_badge.h"
#include "ui/widgets/card.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/pulse_effect.h"
#include "ui/widgets/spinner.h"
#include "ui/widgets/status_dot.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

namespace quill {

namespace {

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

// The red "Live Show in Progress" bar; pressing it opens the live show.
class LiveShowShortcut final : public QAbstractButton
{
public:
    explicit LiveShowShortcut(QWidget *parent) : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(metrics::insets(metrics::regular));
        row->setSpacing(metrics::compact);
        auto *dot = new StatusDot(8, systemColor(SystemColor::red), this);
        PulseEffect::apply(dot);
        row->addWidget(dot);
        row->addWidget(styledLabel(QStringLiteral("Live Show in Progress"),
                                 textFont(TextStyle::subheadline, QFont::Bold), primaryTextColor(), this));
        row->addStretch(1);
        row->addWidget(styledLabel(QStringLiteral("Go to Live Show"), textFont(TextStyle::caption),
                                 secondaryTextColor(), this));
        auto *chevron = new QLabel(this);
        chevron->setPixmap(
            symbolPixmap(QStringLiteral("chevron.right"), 10, secondaryTextColor(), devicePixelRatioF()));
        row->addWidget(chevron);
        for (QWidget *child : findChildren<QWidget *>())
            child->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    QSize sizeHint() const override { return layout()->sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor red = systemColor(SystemColor::red);
        painter.setPen(QPen(withAlpha(red, 0.3), 1));
        painter.setBrush(withAlpha(red, isDown() ? 0.18 : 0.1));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }
};

// Label, figure and an optional line under it; the accent colours only the pulsing dot.
Card *statCard(const StatCardModel &model)
{
    auto *card = new Card;
    auto *column = new QVBoxLayout(card);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(metrics::xxSmall);
    auto *top = new QHBoxLayout;
    top->setSpacing(metrics::xxSmall);
    top->addWidget(styledLabel(model.label, systemFont(10, QFont::DemiBold), secondaryTextColor()));
    if (model.pulse) {
        auto *dot = new StatusDot(6, model.accent);
        PulseEffect::apply(dot);
        top->addWidget(dot, 0, Qt::AlignVCenter);
    }
    top->addStretch(1);
    column->addLayout(top);
    auto *value = styledLabel(model.value, monospacedFont(textFont(TextStyle::title2, QFont::Bold)), primaryTextColor());
    value->setObjectName(QStringLiteral("cardValue"));
    column->addWidget(value);
    if (model.detail)
        column->addWidget(styledLabel(*model.detail, systemFont(10), secondaryTextColor()));
    column->addStretch(1);
    return card;
}

Card *movementCard(const MovementCardModel &model)
{
    auto *card = new Card;
    auto *column = new QVBoxLayout(card);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(metrics::xxSmall);
    column->addWidget(styledLabel(model.label, systemFont(10, QFont::DemiBold), secondaryTextColor()));
    auto *value = styledLabel(model.value, monospacedFont(textFont(TextStyle::title2, QFont::Bold)), model.color);
    value->setObjectName(QStringLiteral("cardValue"));
    column->addWidget(value);
    column->addStretch(1);
    return card;
}

// One grey block standing in for a card while the first load runs.
class Placeholder final : public QWidget
{
public:
    Placeholder() { setFixedHeight(72); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(quaternaryFillColor());
        painter.drawRoundedRect(QRectF(rect()), 8, 8);
    }
};

void clearLayout(QLayout *layout)
{
    while (QLayoutItem *item = layout->takeAt(0)) {
        if (QWidget *widget = item->widget())
            delete widget;
        if (QLayout *child = item->layout()) {
            clearLayout(child);
        }
        delete item;
    }
}

} // namespace

DashboardView::DashboardView(AuthManager &auth, ShowSyncService &sync, QUrl apiBaseUrl,
                             SidebarSelection &selection, QWidget *parent)
    : QWidget(parent), m_controller(auth, sync, std::move(apiBaseUrl), selection)
{
    fillBackground(this, appBackgroundColor());

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    outer->addWidget(buildTitleBar());

    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll, 1);

    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(metrics::insets(metrics::xLarge));
    column->setSpacing(metrics::xxLarge);

    m_liveShortcut = new LiveShowShortcut(content);
    connect(static_cast<QAbstractButton *>(m_liveShortcut), &QAbstractButton::clicked, &m_controller,
            &DashboardController::openLiveShow);
    column->addWidget(m_liveShortcut);

    auto *section = new QVBoxLayout;
    section->setSpacing(metrics::regular);
    section->addLayout(buildOverviewHeader(content));

    section->addWidget(buildErrorRow(content));

    m_cards = new QWidget(content);
    m_cardsLayout = new QVBoxLayout(m_cards);
    m_cardsLayout->setContentsMargins(0, 0, 0, 0);
    m_cardsLayout->setSpacing(metrics::compact);
    section->addWidget(m_cards);

    column->addLayout(section);
    column->addStretch(1);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);

    connect(&m_controller, &DashboardController::changed, this, &DashboardView::bind);
    connect(&m_controller, &DashboardController::liveShowActiveChanged, this, &DashboardView::bindLiveShortcut);
    bind();
    bindLiveShortcut();
}

QWidget *DashboardView::buildTitleBar()
{
    // Title bar: the screen's title and the staff mark.
    auto *titleBar = new QWidget(this);
    fillBackground(titleBar, sidebarBackgroundColor());
    auto *titleRow = new QHBoxLayout(titleBar);
    titleRow->setContentsMargins(metrics::insets(metrics::xLarge, metrics::compact));
    titleRow->addWidget(styledLabel(QStringLiteral("Dashboard"), textFont(TextStyle::title3, QFont::Bold),
                                  primaryTextColor()));
    titleRow->addStretch(1);
    titleRow->addWidget(new CapsuleBadge(QStringLiteral("ADMIN"), appAccentColor()));
    return titleBar;
}

QLayout *DashboardView::buildOverviewHeader(QWidget *content)
{
    auto *header = new QHBoxLayout;
    auto *titles = new QVBoxLayout;
    titles->setSpacing(metrics::xxxSmall);
    titles->addWidget(styledLabel(QStringLiteral("Overview"), textFont(TextStyle::headline), primaryTextColor()));
    m_updated = styledLabel(QString(), monospacedFont(textFont(TextStyle::caption2)), secondaryTextColor());
    m_updated->setObjectName(QStringLiteral("updatedTime"));
    titles->addWidget(m_updated);
    header->addLayout(titles);
    header->addStretch(1);
    m_refresh = new QPushButton(QStringLiteral("Refresh"), content);
    m_refresh->setFont(textFont(TextStyle::callout));
    m_refresh->setFixedSize(72, 24);
    m_refreshSpinner = new Spinner(Spinner::kSmall - 4, m_refresh);
    m_refreshSpinner->move((m_refresh->width() - m_refreshSpinner->width()) / 2,
                           (m_refresh->height() - m_refreshSpinner->height()) / 2);
    header->addWidget(m_refresh, 0, Qt::AlignVCenter);
    connect(m_refresh, &QPushButton::clicked, &m_controller, &DashboardController::refresh);
    return header;
}

QWidget *DashboardView::buildErrorRow(QWidget *content)
{
    m_errorRow = new QWidget(content);
    auto *errorLayout = new QHBoxLayout(m_errorRow);
    errorLayout->setContentsMargins(0, 0, 0, 0);
    errorLayout->setSpacing(metrics::xSmall);
    auto *warning = new QLabel(m_errorRow);
    warning->setPixmap(symbolPixmap(QStringLiteral("exclamationmark.triangle.fill"), 12,
                                    systemColor(SystemColor::orange), devicePixelRatioF()));
    errorLayout->addWidget(warning);
    m_errorText = styledLabel(QString(), textFont(TextStyle::caption), secondaryTextColor(), m_errorRow);
    errorLayout->addWidget(m_errorText);
    errorLayout->addStretch(1);
    return m_errorRow;
}

void DashboardView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_controller.refresh();
}

void DashboardView::bindLiveShortcut()
{
    m_liveShortcut->setVisible(m_controller.isLiveShowActive());
}

void DashboardView::bind()
{
    const bool loading = m_controller.isLoading();
    m_refresh->setEnabled(!loading);
    m_refresh->setText(loading ? QString() : QStringLiteral("Refresh"));
    m_refreshSpinner->setVisible(loading);

    m_updated->setText(m_controller.updatedText());
    m_updated->setVisible(m_controller.lastRefreshed().has_value());

    const auto &error = m_controller.apiError();
    m_errorText->setText(error.value_or(QString()));
    m_errorRow->setVisible(error.has_value());
    rebuildCards();
}

void DashboardView::rebuildCards()
{
    clearLayout(m_cardsLayout);
    if (m_controller.overview()) {
        auto *stats = new QHBoxLayout;
        stats->setSpacing(metrics::compact);
        for (const StatCardModel &model : m_controller.statCards())
            stats->addWidget(statCard(model), 1);
        auto *movement = new QHBoxLayout;
        movement->setSpacing(metrics::compact);
        for (const MovementCardModel &model : m_controller.movementCards())
            movement->addWidget(movementCard(model), 1);
        m_cardsLayout->addLayout(stats);
        m_cardsLayout->addLayout(movement);
    } else if (m_controller.isLoading()) {
        auto *placeholders = new QHBoxLayout;
        placeholders->setSpacing(metrics::regular);
        for (int i = 0; i < 5; ++i)
            placeholders->addWidget(new Placeholder, 1);
        m_cardsLayout->addLayout(placeholders);
    }
    // Children added to a shown parent stay hidden until asked.
    for (QWidget *child : m_cards->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->show();
    m_cards->setVisible(m_controller.overview() || m_controller.isLoading());
}

} // namespace quill
