#pragma once

#include "ui/app/dashboard_controller.h"

#include <QUrl>
#include <QWidget>

class QLabel;
class QLayout;
class QPushButton;
class QVBoxLayout;

namespace quill {

class AuthManager;
class ShowSyncService;
class SidebarSelection;
class Spinner;

// The staff dashboard: subscriber, show and revenue figures as cards, a shortcut to
// the live show while one runs. Loads each time it is shown and on Refresh.
class DashboardView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DashboardView)

public:
    DashboardView(AuthManager &auth, ShowSyncService &sync, QUrl apiBaseUrl, SidebarSelection &selection,
                  QWidget *parent = nullptr);

    DashboardController &controller() { return m_controller; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The screen's parts, built once by the constructor.
    QWidget *buildTitleBar(); // the screen's title and the staff mark
    QLayout *buildOverviewHeader(QWidget *content);
    QWidget *buildErrorRow(QWidget *content);
    void bind();
    void bindLiveShortcut();
    void rebuildCards();

    DashboardController m_controller;
    QWidget *m_liveShortcut;
    QLabel *m_updated;
    QPushButton *m_refresh;
    Spinner *m_refreshSpinner;
    QWidget *m_errorRow;
    QLabel *m_errorText;
    QWidget *m_cards;
    QVBoxLayout *m_cardsLayout;
};

} // namespace quill
