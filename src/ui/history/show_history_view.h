#pragma once

#include "ui/history/show_detail_model.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class QLabel;
class QListView;
class QStackedWidget;
class QToolButton;

namespace quill {

class AppState;
class EmptyStateView;
class ShowDetailView;
class ShowHistoryController;
class ShowHistoryListModel;
class ShowRowDelegate;
class Spinner;

// What the Shows screen needs of the application: the history store and what the
// show detail prints and checks with.
ShowDetailServices showHistoryServices(AppState &appState);

// The Shows screen: the seller's shows, live first then newest, and one show's
// detail in a card over a dimmed list. Each time it is shown it lists the cache at
// once and then asks the server.
class ShowHistoryView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowHistoryView)

public:
    static constexpr QSize kCardSize{700, 600};

    explicit ShowHistoryView(ShowDetailServices services, QWidget *parent = nullptr);
    ~ShowHistoryView() override;

    ShowHistoryController &controller() const { return *m_controller; }
    QListView *list() const { return m_list; }
    ShowRowDelegate *rowDelegate() const { return m_delegate; }
    // The open card's view; null while no card is open.
    ShowDetailView *detailView() const;
    QWidget *dimLayer() const { return m_dim; }
    QWidget *card() const { return m_card; }

    void openShow(const ShowSummary &show);
    void closeShow();

Q_SIGNALS:
    // A live show's badge or title was pressed: the sidebar goes to "Live Show".
    void liveShowRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void placeOverlay();
    void syncCard();

    ShowDetailServices m_services;
    ShowHistoryController *m_controller;
    ShowHistoryListModel *m_model;
    Spinner *m_spinner;
    QToolButton *m_refresh;
    QStackedWidget *m_content;
    EmptyStateView *m_empty;
    QListView *m_list;
    ShowRowDelegate *m_delegate;
    QLabel *m_error;
    QWidget *m_dim;
    QWidget *m_card;
    QPointer<ShowDetailView> m_detail;
};

} // namespace quill
