#pragma once

#include "ui/history/batch_print_dialog.h"
#include "ui/history/label_preview_sheet.h"
#include "ui/history/show_detail_model.h"

#include <QMessageBox>

#include <QPointer>
#include <QWidget>

#include <optional>

class QBoxLayout;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace quill {

class AuctionDetailRowDelegate;
class BuyerDetailRowDelegate;
class PackingSlipsCTA;
class SegmentedControl;
class ShowAuctionsListModel;
class ShowBuyersListModel;
class Spinner;

// One show in the card over the Shows list: header, statistics, the packing-slip
// invitation, the Buyers and Auctions lists with search, reprints, previews, Print
// All and, for staff, the delete.
class ShowDetailView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowDetailView)

public:
    // `closable`: the header has the close control (the card's); it emits dismissRequested.
    ShowDetailView(ShowSummary show, ShowDetailServices services, bool closable, QWidget *parent = nullptr);
    ~ShowDetailView() override;

    ShowDetailModel &model() const { return *m_model; }
    QListView *auctionsList() const { return m_auctionsList; }
    QListView *buyersList() const { return m_buyersList; }
    AuctionDetailRowDelegate *auctionDelegate() const { return m_auctionDelegate; }
    BuyerDetailRowDelegate *buyerDelegate() const { return m_buyerDelegate; }
    QPushButton *deleteButton() const { return m_deleteButton; }
    // The column that scrolls: header, statistics, tabs, search and the whole list.
    QScrollArea *scrollArea() const { return m_scroll; }

    // The buttons' actions, reachable without a click. Without a type the dialog
    // opens on the one that matches the selected tab.
    void openBatchDialog(std::optional<BatchPrintType> type = std::nullopt);
    void requestDelete();
    void openAuctionPreview(const QString &auctionId);
    void openPackingSlipPreview(const QString &buyer);

    BatchPrintDialog *batchDialog() const { return m_batchDialog; }
    QMessageBox *deleteConfirmation() const { return m_deleteConfirm; }
    LabelPreviewSheet *labelPreview() const { return m_labelPreview; }
    PackingSlipPreviewSheet *packingSlipPreview() const { return m_slipPreview; }

Q_SIGNALS:
    void dismissRequested();
    void liveShowRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildHeader(QBoxLayout *into, bool closable);
    void buildBody();
    QWidget *buildSearchBox();
    QWidget *buildListHeader();
    QWidget *buildLists();
    void bindListDelegates();
    void refreshBody();
    void refreshLists();
    void refreshDelete();
    void refreshMessages();
    void tickSpinners();

    ShowDetailServices m_services;
    ShowDetailModel *m_model;
    ShowAuctionsListModel *m_auctionsModel;
    ShowBuyersListModel *m_buyersModel;
    bool m_loadedOnce = false;

    QWidget *m_deleteSlot = nullptr;
    QPushButton *m_deleteButton = nullptr;
    Spinner *m_deleteSpinner = nullptr;

    QScrollArea *m_scroll;
    QWidget *m_column;
    QStackedWidget *m_body;
    Spinner *m_loadingSpinner;
    QWidget *m_content;
    QGridLayout *m_statsGrid;
    QWidget *m_statsBox;
    QWidget *m_ctaSlot;
    PackingSlipsCTA *m_cta = nullptr;
    SegmentedControl *m_tabs;
    QLineEdit *m_search;
    QToolButton *m_clearSearch;
    QWidget *m_listHeader;
    QLabel *m_listHeaderText;
    QLabel *m_emptyText;
    QWidget *m_lists;
    QListView *m_auctionsList;
    QListView *m_buyersList;
    AuctionDetailRowDelegate *m_auctionDelegate;
    BuyerDetailRowDelegate *m_buyerDelegate;
    QLabel *m_message;
    QTimer *m_spinnerTimer;
    int m_spinnerPhase = 0;

    QPointer<BatchPrintDialog> m_batchDialog;
    QPointer<QMessageBox> m_deleteConfirm;
    QPointer<LabelPreviewSheet> m_labelPreview;
    QPointer<PackingSlipPreviewSheet> m_slipPreview;
};

} // namespace quill
