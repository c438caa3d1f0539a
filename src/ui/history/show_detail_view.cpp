#include "ui/history/show_detail_view.h"

#include "ui/history/batch_print_dialog.h"
#include "ui/history/detail_row_delegates.h"
#include "ui/history/label_preview_sheet.h"
#include "ui/history/packing_slips_cta.h"
#include "ui/history/show_detail_lists.h"
#include "ui/history/stat_card.h"
#include "ui/history/status_badge.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/separator_line.h"
#include "ui/widgets/segmented_control.h"
#include "ui/widgets/spinner.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

namespace {

QToolButton *iconButton(const QString &symbol, int size, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setIcon(symbolIcon(symbol, secondaryTextColor()));
    button->setIconSize(QSize(size, size));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// A list as tall as all its rows, so that it scrolls with the card's column rather than
// in a box of its own. Only the rows in the exposed part of it are painted.
class WholeListView final : public QListView
{
public:
    using QListView::QListView;

protected:
    void updateGeometries() override
    {
        QListView::updateGeometries();
        const int height = std::max(0, contentsSize().height()) + 2 * frameWidth();
        if (height != minimumHeight())
            setFixedHeight(height);
    }
};

QListView *detailList(QWidget *parent, const QString &name)
{
    auto *list = new WholeListView(parent);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setObjectName(name);
    list->setFrameShape(QFrame::NoFrame);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setMouseTracking(true);
    list->viewport()->setAutoFillBackground(false);
    return list;
}

} // namespace

ShowDetailView::ShowDetailView(ShowSummary show, ShowDetailServices services, bool closable, QWidget *parent)
    : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("showDetailView"));
    m_model = new ShowDetailModel(std::move(show), std::move(services), this);
    m_auctionsModel = new ShowAuctionsListModel(*m_model, this);
    m_buyersModel = new ShowBuyersListModel(*m_model, this);
    m_spinnerTimer = new QTimer(this);
    m_spinnerTimer->setInterval(80);
    connect(m_spinnerTimer, &QTimer::timeout, this, &ShowDetailView::tickSpinners);

    // One scrolling column: header, statistics, the call to action, tabs, search and the
    // whole list move together, so the list is never squeezed under the rest.
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("detailScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->viewport()->setAutoFillBackground(false);
    outer->addWidget(m_scroll);
    m_column = new QWidget(m_scroll);
    auto *layout = new QVBoxLayout(m_column);
    layout->setContentsMargins(metrics::insets(metrics::xLarge));
    layout->setSpacing(metrics::large);
    buildHeader(layout, closable);
    layout->addWidget(separatorLine(m_column));
    buildBody();
    layout->addWidget(m_body);
    m_message = styledLabel(QString(), textFont(TextStyle::caption), systemColor(SystemColor::red), m_column);
    m_message->setObjectName(QStringLiteral("detailMessage"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->hide();
    layout->addWidget(m_message);
    layout->addStretch(1);
    m_scroll->setWidget(m_column);
    // The card's own fill shows through (setWidget turns the column's fill on).
    m_column->setAutoFillBackground(false);

    connect(m_model, &ShowDetailModel::loadingChanged, this, &ShowDetailView::refreshBody);
    connect(m_model, &ShowDetailModel::responseChanged, this, &ShowDetailView::refreshBody);
    connect(m_model, &ShowDetailModel::listsChanged, this, &ShowDetailView::refreshLists);
    connect(m_model, &ShowDetailModel::tabChanged, this, &ShowDetailView::refreshLists);
    connect(m_model, &ShowDetailModel::deletingChanged, this, &ShowDetailView::refreshDelete);
    connect(m_model, &ShowDetailModel::deletingChanged, this, &ShowDetailView::refreshMessages);
    connect(m_model, &ShowDetailModel::printingChanged, this, &ShowDetailView::refreshMessages);
    refreshBody();
    refreshDelete();
}

ShowDetailView::~ShowDetailView() = default;

void ShowDetailView::buildHeader(QBoxLayout *into, bool closable)
{
    auto *header = new QVBoxLayout;
    header->setSpacing(metrics::xxSmall);
    if (closable) {
        auto *closeRow = new QHBoxLayout;
        closeRow->addStretch(1);
        QToolButton *close = iconButton(QStringLiteral("xmark.circle.fill"), 20, m_column);
        close->setObjectName(QStringLiteral("closeDetail"));
        connect(close, &QToolButton::clicked, this, &ShowDetailView::dismissRequested);
        closeRow->addWidget(close);
        header->addLayout(closeRow);
    }
    const QFont titleFont = textFont(TextStyle::title2, QFont::Bold);
    if (m_model->isLive()) {
        auto *title = new QPushButton(m_model->mainTitle(), m_column);
        title->setObjectName(QStringLiteral("liveTitle"));
        title->setFlat(true);
        title->setFont(titleFont);
        title->setIcon(symbolIcon(QStringLiteral("arrow.right.circle"), primaryTextColor()));
        title->setLayoutDirection(Qt::RightToLeft);
        title->setCursor(Qt::PointingHandCursor);
        connect(title, &QPushButton::clicked, this, &ShowDetailView::liveShowRequested);
        header->addWidget(title, 0, Qt::AlignLeft);
    } else {
        auto *title = styledLabel(m_model->mainTitle(), titleFont, primaryTextColor(), m_column);
        title->setObjectName(QStringLiteral("detailTitle"));
        title->setTextFormat(Qt::PlainText);
        header->addWidget(title);
    }
    auto *meta = new QHBoxLayout;
    meta->setSpacing(metrics::small);
    meta->addWidget(new StatusBadge(m_model->show().status, StatusBadge::Form::inline_, m_column));
    if (const auto date = m_model->headerDateText()) {
        auto *dateLabel =
            styledLabel(*date, textFont(TextStyle::subheadline), secondaryTextColor(), m_column);
        dateLabel->setObjectName(QStringLiteral("detailDate"));
        meta->addWidget(dateLabel);
    }
    meta->addStretch(1);
    m_deleteSlot = new QWidget(m_column);
    auto *deleteLayout = new QHBoxLayout(m_deleteSlot);
    deleteLayout->setContentsMargins(0, 0, 0, 0);
    m_deleteButton = new QPushButton(symbolIcon(QStringLiteral("trash"), systemColor(SystemColor::red)),
                                     QStringLiteral("Delete Show"), m_deleteSlot);
    m_deleteButton->setObjectName(QStringLiteral("deleteShow"));
    QPalette palette = m_deleteButton->palette();
    palette.setColor(QPalette::ButtonText, systemColor(SystemColor::red));
    m_deleteButton->setPalette(palette);
    connect(m_deleteButton, &QPushButton::clicked, this, &ShowDetailView::requestDelete);
    m_deleteSpinner = new Spinner(Spinner::kSmall, m_deleteSlot);
    deleteLayout->addWidget(m_deleteButton);
    deleteLayout->addWidget(m_deleteSpinner);
    meta->addWidget(m_deleteSlot);
    header->addLayout(meta);
    // In the scrolling column: the header scrolls with what follows it.
    into->addLayout(header);
}

void ShowDetailView::buildBody()
{
    m_body = new QStackedWidget(m_column);
    m_body->addWidget(new QWidget(m_body)); // nothing: no answer
    auto *loading = new QWidget(m_body);
    auto *loadingLayout = new QHBoxLayout(loading);
    m_loadingSpinner = new Spinner(Spinner::kRegular, loading);
    loadingLayout->addWidget(m_loadingSpinner, 0, Qt::AlignHCenter | Qt::AlignTop);
    m_body->addWidget(loading);

    m_content = new QWidget(m_body);
    auto *content = new QVBoxLayout(m_content);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(metrics::large);
    m_statsBox = new QWidget(m_content);
    m_statsGrid = new QGridLayout(m_statsBox);
    m_statsGrid->setContentsMargins(0, 0, 0, 0);
    m_statsGrid->setVerticalSpacing(metrics::regular);
    content->addWidget(m_statsBox);
    m_ctaSlot = new QWidget(m_content);
    auto *ctaLayout = new QVBoxLayout(m_ctaSlot);
    ctaLayout->setContentsMargins(0, 0, 0, 0);
    content->addWidget(m_ctaSlot);
    content->addWidget(separatorLine(m_content));

    m_tabs = new SegmentedControl(m_content);
    m_tabs->setObjectName(QStringLiteral("detailTabs"));
    m_tabs->addSegment(detailTabText(DetailTab::buyers));
    m_tabs->addSegment(detailTabText(DetailTab::auctions));
    m_tabs->setCurrentIndex(0);
    connect(m_tabs, &SegmentedControl::currentChanged, this, [this](int index) {
        m_model->setSelectedTab(index == 1 ? DetailTab::auctions : DetailTab::buyers);
    });
    content->addWidget(m_tabs, 0, Qt::AlignLeft);

    content->addWidget(buildSearchBox());

    content->addWidget(buildListHeader());
    m_emptyText = styledLabel(QString(), textFont(TextStyle::subheadline), secondaryTextColor(), m_content);
    m_emptyText->setObjectName(QStringLiteral("emptyListText"));
    content->addWidget(m_emptyText);

    content->addWidget(buildLists());
    m_body->addWidget(m_content);

    bindListDelegates();
}

QWidget *ShowDetailView::buildSearchBox()
{
    auto *searchBox = new QFrame(m_content);
    searchBox->setObjectName(QStringLiteral("searchBox"));
    QColor searchFill = quaternaryFillColor();
    searchFill.setAlphaF(searchFill.alphaF() * 0.5f);
    searchBox->setStyleSheet(QStringLiteral("#searchBox { background: %1; border-radius: 8px; }")
                                 .arg(searchFill.name(QColor::HexArgb)));
    auto *searchRow = new QHBoxLayout(searchBox);
    searchRow->setContentsMargins(metrics::insets(metrics::small));
    auto *glass = new QLabel(searchBox);
    glass->setPixmap(symbolPixmap(QStringLiteral("magnifyingglass"), 14, secondaryTextColor(), devicePixelRatioF()));
    searchRow->addWidget(glass);
    m_search = new QLineEdit(searchBox);
    m_search->setObjectName(QStringLiteral("detailSearch"));
    m_search->setFrame(false);
    m_search->setPlaceholderText(QStringLiteral("Search auctions or buyers\u2026"));
    m_search->setStyleSheet(QStringLiteral("background: transparent;"));
    searchRow->addWidget(m_search, 1);
    m_clearSearch = iconButton(QStringLiteral("xmark.circle.fill"), 14, searchBox);
    m_clearSearch->setObjectName(QStringLiteral("clearSearch"));
    m_clearSearch->hide();
    searchRow->addWidget(m_clearSearch);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_clearSearch->setVisible(!text.isEmpty());
        m_model->setSearchText(text);
    });
    connect(m_clearSearch, &QToolButton::clicked, m_search, &QLineEdit::clear);
    return searchBox;
}

QWidget *ShowDetailView::buildListHeader()
{
    m_listHeader = new QWidget(m_content);
    auto *listHeader = new QHBoxLayout(m_listHeader);
    listHeader->setContentsMargins(0, 0, 0, 0);
    m_listHeaderText = styledLabel(QString(), textFont(TextStyle::headline), primaryTextColor(), m_listHeader);
    m_listHeaderText->setObjectName(QStringLiteral("listHeader"));
    listHeader->addWidget(m_listHeaderText);
    listHeader->addStretch(1);
    auto *printAll = new QPushButton(symbolIcon(QStringLiteral("printer")), QStringLiteral("Print All"), m_listHeader);
    printAll->setObjectName(QStringLiteral("listPrintAll"));
    connect(printAll, &QPushButton::clicked, this, [this] { openBatchDialog(); });
    listHeader->addWidget(printAll);
    return m_listHeader;
}

QWidget *ShowDetailView::buildLists()
{
    // Only the chosen tab's list is shown; a stack would be as tall as the longer one.
    m_lists = new QWidget(m_content);
    auto *lists = new QVBoxLayout(m_lists);
    lists->setContentsMargins(0, 0, 0, 0);
    m_buyersList = detailList(m_lists, QStringLiteral("buyersList"));
    m_buyersList->setModel(m_buyersModel);
    m_buyerDelegate = new BuyerDetailRowDelegate(m_buyersList);
    m_buyersList->setItemDelegate(m_buyerDelegate);
    m_auctionsList = detailList(m_lists, QStringLiteral("auctionsList"));
    m_auctionsList->setModel(m_auctionsModel);
    m_auctionDelegate = new AuctionDetailRowDelegate(m_auctionsList);
    m_auctionsList->setItemDelegate(m_auctionDelegate);
    lists->addWidget(m_buyersList);
    lists->addWidget(m_auctionsList);
    return m_lists;
}

void ShowDetailView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_loadedOnce) {
        m_loadedOnce = true;
        m_model->load();
    }
}

void ShowDetailView::bindListDelegates()
{
    connect(m_auctionDelegate, &DetailRowDelegateBase::printRequested, this, [this](const QModelIndex &index) {
        m_model->printWinnerLabel(index.data(ShowAuctionsListModel::idRole).toString());
    });
    connect(m_auctionDelegate, &DetailRowDelegateBase::previewRequested, this, [this](const QModelIndex &index) {
        openAuctionPreview(index.data(ShowAuctionsListModel::idRole).toString());
    });
    connect(m_buyerDelegate, &DetailRowDelegateBase::printRequested, this, [this](const QModelIndex &index) {
        m_model->printPackingSlip(index.data(ShowBuyersListModel::buyerRole).toString());
    });
    connect(m_buyerDelegate, &DetailRowDelegateBase::previewRequested, this, [this](const QModelIndex &index) {
        openPackingSlipPreview(index.data(ShowBuyersListModel::buyerRole).toString());
    });
    connect(m_buyerDelegate, &DetailRowDelegateBase::expandRequested, this, [this](const QModelIndex &index) {
        m_model->toggleExpanded(index.data(ShowBuyersListModel::buyerRole).toString());
    });
}

void ShowDetailView::refreshBody()
{
    const auto &response = m_model->response();
    if (!response) {
        m_body->setCurrentIndex(m_model->isLoading() ? 1 : 0);
        return;
    }
    m_body->setCurrentWidget(m_content);

    while (QLayoutItem *item = m_statsGrid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<StatCardEntry> cards = m_model->statCards();
    // Adaptive columns of at least 100 points across the card's width.
    const int columns = std::max(1, std::min(int(cards.size()), 660 / 100));
    for (qsizetype i = 0; i < cards.size(); ++i)
        m_statsGrid->addWidget(new StatCard(cards.at(i).title, cards.at(i).value, m_statsBox), int(i) / columns,
                               int(i) % columns);

    delete m_cta;
    m_cta = nullptr;
    if (m_model->showsPackingSlipsCTA()) {
        m_cta = new PackingSlipsCTA(m_model->buyerGroups().size(), response->stats.auctionCount, m_ctaSlot);
        // The packing-slip card prints slips whichever tab is showing below it.
        connect(m_cta, &PackingSlipsCTA::printAllRequested, this,
                [this] { openBatchDialog(BatchPrintType::packingSlips); });
        m_ctaSlot->layout()->addWidget(m_cta);
    }
    m_ctaSlot->setVisible(m_cta != nullptr);
    refreshLists();
}

void ShowDetailView::refreshLists()
{
    const bool auctionsTab = m_model->selectedTab() == DetailTab::auctions;
    m_tabs->setCurrentIndex(auctionsTab ? 1 : 0);
    const QString empty = m_model->emptyListText();
    m_emptyText->setText(empty);
    m_emptyText->setVisible(!empty.isEmpty());
    m_listHeader->setVisible(empty.isEmpty());
    m_listHeaderText->setText(m_model->listHeaderText());
    m_lists->setVisible(empty.isEmpty());
    m_auctionsList->setVisible(auctionsTab);
    m_buyersList->setVisible(!auctionsTab);
}

void ShowDetailView::refreshDelete()
{
    const bool staff = m_model->isStaff();
    m_deleteSlot->setVisible(staff || m_model->isDeleting());
    m_deleteButton->setVisible(!m_model->isDeleting());
    m_deleteSpinner->setVisible(m_model->isDeleting());
}

void ShowDetailView::refreshMessages()
{
    // A failed delete or print says why here, in the card, until the next attempt.
    QString text = m_model->deleteFailure();
    if (text.isEmpty())
        text = m_model->printFailure();
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
    // The timer stops itself once no listed row prints.
    if (!m_spinnerTimer->isActive())
        m_spinnerTimer->start();
}

void ShowDetailView::tickSpinners()
{
    bool printing = false;
    for (const ServerAuction &auction : m_model->filteredAuctions())
        printing = printing || m_model->isPrintingAuction(auction.id);
    for (const ShowBuyerGroup &group : m_model->filteredBuyerGroups())
        printing = printing || m_model->isPrintingBuyer(group.buyer);
    if (!printing) {
        m_spinnerTimer->stop();
        return;
    }
    ++m_spinnerPhase;
    m_auctionDelegate->setSpinnerPhase(m_spinnerPhase);
    m_buyerDelegate->setSpinnerPhase(m_spinnerPhase);
    QListView *list = m_model->selectedTab() == DetailTab::auctions ? m_auctionsList : m_buyersList;
    list->viewport()->update();
}

void ShowDetailView::openBatchDialog(std::optional<BatchPrintType> type)
{
    if (m_batchDialog)
        return;
    BatchPrintDialogSetup setup;
    setup.auctions = m_model->filteredAuctions();
    setup.buyerGroups = m_model->filteredBuyerGroups();
    setup.boxNumbers = m_model->boxNumbers();
    setup.showTitle = m_model->show().title;
    setup.initialType = type.value_or(m_model->initialBatchType());
    setup.printAdapter = &m_services.printAdapter;
    setup.printer = m_services.printer;
    setup.settings = &m_services.settings;
    setup.runOwner = m_services.runOwner;
    m_batchDialog = new BatchPrintDialog(std::move(setup), this);
    m_batchDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_batchDialog->open();
}

void ShowDetailView::requestDelete()
{
    if (!m_model->isStaff() || m_deleteConfirm)
        return;
    m_deleteConfirm = new QMessageBox(QMessageBox::Warning, QStringLiteral("Delete Show?"),
                                      m_model->deleteConfirmationText(), QMessageBox::NoButton, this);
    // The question holds the show's title: text, never markup.
    m_deleteConfirm->setTextFormat(Qt::PlainText);
    m_deleteConfirm->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *confirm = m_deleteConfirm->addButton(QStringLiteral("Delete"), QMessageBox::DestructiveRole);
    confirm->setObjectName(QStringLiteral("confirmDelete"));
    m_deleteConfirm->addButton(QMessageBox::Cancel);
    connect(confirm, &QPushButton::clicked, m_model, &ShowDetailModel::confirmDelete);
    m_deleteConfirm->open();
}

void ShowDetailView::openAuctionPreview(const QString &auctionId)
{
    if (!m_model->response())
        return;
    for (const ServerAuction &auction : m_model->response()->auctions) {
        if (auction.id != auctionId)
            continue;
        m_labelPreview = new LabelPreviewSheet(
            winnerLabelContent(auction, m_model->boxNumber(auction.winnerUsername), m_model->show().title),
            m_model->labelState(ShowDetailModel::kWinnerLabelType), m_model->appearance(), this);
        m_labelPreview->setAttribute(Qt::WA_DeleteOnClose);
        m_labelPreview->open();
        return;
    }
}

void ShowDetailView::openPackingSlipPreview(const QString &buyer)
{
    for (const ShowBuyerGroup &group : m_model->buyerGroups()) {
        if (group.buyer != buyer)
            continue;
        const LabelContent content =
            LabelContent::grouped(group.buyer, packingSlipItems(group.auctions), group.total, m_model->show().title);
        m_slipPreview = new PackingSlipPreviewSheet(group.buyer, content,
                                                    m_model->labelState(ShowDetailModel::kPackingSlipType),
                                                    m_model->appearance(), this);
        m_slipPreview->setAttribute(Qt::WA_DeleteOnClose);
        m_slipPreview->open();
        return;
    }
}

} // namespace quill
