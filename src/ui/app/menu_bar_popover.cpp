#include "ui/app/menu_bar_popover.h"

#include "ui/app/menu_bar_popover_controller.h"
#include "ui/live/live_controls.h"
#include "ui/widgets/buttons.h"
#include "ui/widgets/capsule_badge.h"
#include "ui/widgets/figure_text.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/pulse_effect.h"
#include "ui/widgets/status_dot.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"
#include "ui/widgets/user_avatar_view.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kInset = 14;
constexpr int kDotSize = 7;
constexpr int kPendingSymbol = 10;
constexpr int kPendingGap = 4;

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, quaternaryFillColor());
    line->setPalette(palette);
    return line;
}

QHBoxLayout *row(QWidget *owner, int spacing, int vertical)
{
    auto *layout = new QHBoxLayout(owner);
    layout->setContentsMargins(kInset, vertical, kInset, vertical);
    layout->setSpacing(spacing);
    return layout;
}

// One figure of the statistics row: the value over its caption.
QWidget *statItem(QLabel *&value, QLabel *&caption, QWidget *parent)
{
    auto *cell = new QWidget(parent);
    auto *layout = new QVBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metrics::xxxSmall);
    value = new FigureLabel(QString(), textFont(TextStyle::subheadline, QFont::Bold), primaryTextColor(), cell);
    caption = styledLabel(QString(), textFont(TextStyle::caption2), secondaryTextColor(), cell);
    value->setAlignment(Qt::AlignHCenter);
    caption->setAlignment(Qt::AlignHCenter);
    layout->addWidget(value);
    layout->addWidget(caption);
    return cell;
}

} // namespace

MenuBarPopover::MenuBarPopover(AppState &appState, QWidget *parent)
    : QWidget(parent), m_controller(new MenuBarPopoverController(appState, this))
{
    setFixedWidth(kWidth);
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    stack->addWidget(buildHeader());
    stack->addWidget(divider(this));
    stack->addWidget(buildStatistics()); // with a divider of its own
    stack->addWidget(buildRecentWins());
    stack->addWidget(divider(this));
    stack->addWidget(buildPrinterRow());
    stack->addWidget(divider(this));
    stack->addWidget(buildAutoPrintRow());
    stack->addWidget(divider(this));
    stack->addWidget(buildQuitButton());

    connect(m_pending, &QPushButton::clicked, m_controller, &MenuBarPopoverController::clearPrintQueue);
    connect(m_autoPrint, &QAbstractButton::clicked, m_controller, &MenuBarPopoverController::setAutoPrinting);
    connect(m_controller, &MenuBarPopoverController::changed, this, &MenuBarPopover::refresh);
    refresh();
}

QWidget *MenuBarPopover::buildHeader()
{
    // Header: the pulsing dot keeps its place while offline, under the steady one.
    auto *header = new QWidget(this);
    auto *headerRow = row(header, metrics::xSmall, metrics::compact);
    auto *dots = new QWidget(header);
    dots->setFixedSize(kDotSize, kDotSize);
    m_liveDot = new StatusDot(kDotSize, brandGreenColor(), dots);
    PulseEffect::apply(m_liveDot);
    m_offlineDot = new StatusDot(kDotSize, secondaryTextColor(), dots);
    m_state =
        styledLabel(QString(), textFont(TextStyle::subheadline, QFont::Bold), primaryTextColor(), header);
    m_captured = styledLabel(QString(), textFont(TextStyle::subheadline), secondaryTextColor(), header);
    auto *showWindow = new QToolButton(header);
    showWindow->setObjectName(QStringLiteral("showQuillmark"));
    showWindow->setAutoRaise(true);
    showWindow->setIcon(symbolIcon(QStringLiteral("macwindow"), secondaryTextColor()));
    showWindow->setIconSize(QSize(12, 12));
    showWindow->setToolTip(tr("Show Quillmark"));
    showWindow->setCursor(Qt::PointingHandCursor);
    headerRow->addWidget(dots);
    headerRow->addWidget(m_state);
    headerRow->addWidget(m_captured);
    headerRow->addStretch(1);
    headerRow->addWidget(showWindow);
    connect(showWindow, &QToolButton::clicked, this, &MenuBarPopover::showMainWindowRequested);
    return header;
}

QWidget *MenuBarPopover::buildStatistics()
{
    // Statistics, with a divider of their own. Their cells, like the printer's name and
    // the mode chip, are shown as written; the popover's other texts are translated.
    m_statistics = new QWidget(this);
    auto *statisticsColumn = new QVBoxLayout(m_statistics);
    statisticsColumn->setContentsMargins(0, 0, 0, 0);
    statisticsColumn->setSpacing(0);
    auto *figures = new QWidget(m_statistics);
    auto *figuresRow = row(figures, 0, metrics::compact);
    QLabel *revenueCaption = nullptr;
    figuresRow->addWidget(statItem(m_revenueValue, revenueCaption, figures), 1);
    revenueCaption->setText(QStringLiteral("revenue"));
    figuresRow->addWidget(statItem(m_itemsValue, m_itemsLabel, figures), 1);
    figuresRow->addWidget(statItem(m_buyersValue, m_buyersLabel, figures), 1);
    statisticsColumn->addWidget(figures);
    statisticsColumn->addWidget(divider(m_statistics));
    return m_statistics;
}

QWidget *MenuBarPopover::buildRecentWins()
{
    auto *winsBlock = new QWidget(this);
    auto *winsColumn = new QVBoxLayout(winsBlock);
    winsColumn->setContentsMargins(kInset, metrics::compact, kInset, 0);
    winsColumn->setSpacing(0);
    QLabel *title = styledLabel(tr("Recent Wins"), textFont(TextStyle::caption, QFont::Bold),
                                secondaryTextColor(), winsBlock);
    title->setContentsMargins(0, 0, 0, metrics::xSmall);
    winsColumn->addWidget(title);
    m_wins = new QVBoxLayout;
    m_wins->setContentsMargins(0, 0, 0, 0);
    m_wins->setSpacing(0);
    winsColumn->addLayout(m_wins);
    return winsBlock;
}

QWidget *MenuBarPopover::buildPrinterRow()
{
    auto *printer = new QWidget(this);
    auto *printerRow = row(printer, metrics::small, metrics::compact);
    auto *printerIcon = new QLabel(printer);
    printerIcon->setPixmap(
        symbolPixmap(QStringLiteral("printer.fill"), 12, secondaryTextColor(), devicePixelRatioF()));
    m_printerName = styledLabel(QString(), textFont(TextStyle::caption), primaryTextColor(), printer);
    m_noPrinter = styledLabel(tr("No printer"), textFont(TextStyle::caption),
                              secondaryTextColor(), printer);
    m_pending =
        plainButton(QString(), QString(), secondaryTextColor(), textFont(TextStyle::caption2), printer);
    m_pending->setObjectName(QStringLiteral("clearPrintQueue"));
    m_pending->setLayoutDirection(Qt::RightToLeft); // the symbol after the count
    {
        // The symbol with a gap before it, so it does not touch the count.
        const qreal dpr = devicePixelRatioF();
        QPixmap spaced(QSize(kPendingSymbol + kPendingGap, kPendingSymbol) * dpr);
        spaced.setDevicePixelRatio(dpr);
        spaced.fill(Qt::transparent);
        QPainter painter(&spaced);
        painter.drawPixmap(kPendingGap, 0,
                           symbolPixmap(QStringLiteral("xmark.circle.fill"), kPendingSymbol, secondaryTextColor(), dpr));
        painter.end();
        m_pending->setIcon(QIcon(spaced));
        m_pending->setIconSize(QSize(kPendingSymbol + kPendingGap, kPendingSymbol));
    }
    m_pending->setToolTip(tr("Clear print queue"));
    // Room between the symbol and the status dot.
    m_pending->setStyleSheet(m_pending->styleSheet() + QStringLiteral("QPushButton { padding: 2px 4px; }"));
    m_printerDot = new StatusDot(kDotSize, brandGreenColor(), printer);
    m_printerDot->setObjectName(QStringLiteral("printerStatusDot"));
    printerRow->addWidget(printerIcon);
    printerRow->addWidget(m_printerName);
    printerRow->addWidget(m_noPrinter);
    printerRow->addStretch(1);
    printerRow->addWidget(m_pending);
    printerRow->addWidget(m_printerDot);
    return printer;
}

QWidget *MenuBarPopover::buildAutoPrintRow()
{
    auto *autoPrint = new QWidget(this);
    auto *autoPrintRow = row(autoPrint, metrics::xSmall, metrics::small);
    autoPrintRow->addWidget(styledLabel(tr("Auto-Print"), textFont(TextStyle::caption),
                                        primaryTextColor(), autoPrint));
    m_modeChip = new CapsuleBadge(QString(), quaternaryFillColor(), autoPrint);
    m_modeChip->setColors(quaternaryFillColor(), primaryTextColor());
    m_modeChip->setFont(textFont(TextStyle::caption2));
    m_modeChip->setPadding(6, 2);
    m_autoPrint = new SwitchToggle(QString(), QString(), autoPrint);
    m_autoPrint->setObjectName(QStringLiteral("autoPrintSwitch"));
    autoPrintRow->addWidget(m_modeChip);
    autoPrintRow->addStretch(1);
    autoPrintRow->addWidget(m_autoPrint);
    return autoPrint;
}

QPushButton *MenuBarPopover::buildQuitButton()
{
    // Quit: the whole row is the button.
    auto *quit = plainButton(tr("Quit Quillmark"), QStringLiteral("power"), primaryTextColor(),
                             textFont(TextStyle::caption), this);
    quit->setObjectName(QStringLiteral("quitQuillmark"));
    quit->setStyleSheet(QStringLiteral("text-align: left; padding: 8px %1px;").arg(kInset));
    quit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(quit, &QPushButton::clicked, this, &MenuBarPopover::quitRequested);
    return quit;
}

void MenuBarPopover::showEvent(QShowEvent *event)
{
    // The saved printer may have changed in the label settings meanwhile.
    refresh();
    QWidget::showEvent(event);
}

void MenuBarPopover::refresh()
{
    const MenuBarPopoverController &c = *m_controller;
    const bool live = c.isLive();
    m_liveDot->setVisible(live);
    m_offlineDot->setVisible(!live);
    m_state->setText(live ? tr("Live") : tr("Offline"));
    m_captured->setVisible(live);
    // The count counts up to each new capture.
    Motion::count(m_captured, int(c.capturedCount()),
                  [](int count) { return MenuBarPopoverController::capturedText(count); });

    m_statistics->setVisible(c.showsStatistics());
    m_revenueValue->setText(c.revenueText());
    m_itemsValue->setText(QString::number(c.capturedCount()));
    m_itemsLabel->setText(c.itemsLabel());
    m_buyersValue->setText(QString::number(c.buyerCount()));
    m_buyersLabel->setText(c.buyersLabel());
    rebuildWins();

    const std::optional<PopoverPrinter> printer = c.currentPrinter();
    const int queued = c.queuedJobCount();
    m_printerName->setVisible(printer.has_value());
    m_noPrinter->setVisible(!printer);
    m_pending->setVisible(printer && queued > 0);
    m_pending->setText(tr("%1 pending").arg(queued));
    m_printerDot->setVisible(printer.has_value());
    if (printer) {
        m_printerName->setText(printer->displayName);
        m_printerName->setToolTip(plainToolTip(printer->queue));
        // A queue that refuses jobs fails every label as surely as a stopped one.
        const bool healthy = printer->isOnline && printer->refusal.isEmpty();
        m_printerDot->setColor(healthy ? brandGreenColor() : systemColor(SystemColor::red));
        m_printerDot->setToolTip(plainToolTip(printer->refusal));
    }

    m_modeChip->setText(c.labelModeTitle());
    m_autoPrint->setChecked(c.isAutoPrinting());
    adjustSize();
}

void MenuBarPopover::rebuildWins()
{
    const QList<CapturedAuction> wins = m_controller->recentWins();
    // Rows are kept while the same wins are shown, so their avatars are not fetched again.
    QStringList key;
    for (const CapturedAuction &win : wins)
        key.append(win.id);
    if (wins.isEmpty())
        key.append(m_controller->noWinsText());
    if (key == m_shownWins && m_wins->count() > 0)
        return;
    m_shownWins = key;
    while (QLayoutItem *item = m_wins->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (wins.isEmpty()) {
        QLabel *empty =
            styledLabel(m_controller->noWinsText(), textFont(TextStyle::caption), tertiaryTextColor(), this);
        empty->setObjectName(QStringLiteral("noWins"));
        empty->setContentsMargins(0, 0, 0, metrics::compact);
        m_wins->addWidget(empty);
        empty->show(); // at once, not when the layout gets round to it
        return;
    }
    for (qsizetype i = 0; i < wins.size(); ++i) {
        const CapturedAuction &win = wins.at(i);
        auto *line = new QWidget(this);
        line->setObjectName(QStringLiteral("recentWin"));
        auto *layout = new QHBoxLayout(line);
        const int below =
            i + 1 == wins.size() ? metrics::trayWinRowInset + metrics::xSmall : metrics::trayWinRowInset;
        layout->setContentsMargins(0, metrics::trayWinRowInset, 0, below);
        layout->setSpacing(metrics::xSmall);
        layout->addWidget(new UserAvatarView(win.winnerUsername, win.avatarURL, 20, line));
        QLabel *name = styledLabel(tr("@%1").arg(win.winnerUsername), textFont(TextStyle::caption),
                                   primaryTextColor(), line);
        name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        layout->addWidget(name, 1);
        layout->addWidget(new FigureLabel(tr("$%1").arg(win.salePrice.toString()),
                                          textFont(TextStyle::caption, QFont::Bold), primaryTextColor(), line));
        if (win.auctionNumber) {
            layout->addWidget(new FigureLabel(tr("#%1").arg(*win.auctionNumber), textFont(TextStyle::caption2),
                                              secondaryTextColor(), line));
        }
        m_wins->addWidget(line);
        line->show();
    }
}

} // namespace quill
