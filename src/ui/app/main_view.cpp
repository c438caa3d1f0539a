#include "ui/app/main_view.h"

#include "app/app_state.h"
#include "backend/auth_manager.h"
#include "ui/app/loading_view.h"
#include "ui/app/sign_in_screen.h"
#include "ui/app/sidebar_view.h"

#include <QShowEvent>
#include <QStackedLayout>

namespace quill {

MainView::MainView(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(appState), m_stack(new QStackedLayout(this)), m_loading(new LoadingView(this))
{
    m_stack->addWidget(m_loading);
    connect(&m_appState.authManager(), &AuthManager::stateChanged, this, &MainView::followAuthState);
    followAuthState();
}

MainView::~MainView() = default;

QWidget *MainView::currentPage() const
{
    return m_stack->currentWidget();
}

void MainView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Shown afresh (not merely restored from the task bar): start up again.
    if (!event->spontaneous())
        m_appState.start();
}

void MainView::followAuthState()
{
    const AuthState &state = m_appState.authManager().state();
    switch (state.kind()) {
    case AuthState::Kind::unknown:
        setPage(Page::loading, m_loading);
        m_signIn.reset();
        m_sidebar.reset();
        break;
    case AuthState::Kind::signedOut:
        if (!m_signIn) {
            m_signIn = makeSignInScreen(m_appState);
            m_stack->addWidget(m_signIn.get());
        }
        setPage(Page::signIn, m_signIn.get());
        // Nothing of the sidebar, its selection included, outlives a sign-out.
        m_sidebar.reset();
        break;
    case AuthState::Kind::signedIn:
        // Another account keeps the sidebar; its controller applies the staff rule.
        if (!m_sidebar) {
            // Built in place, so it takes the window's colours from the start.
            m_sidebar.reset(new SidebarView(m_appState, this));
            m_stack->addWidget(m_sidebar.get());
        }
        setPage(Page::sidebar, m_sidebar.get());
        m_signIn.reset();
        break;
    }
}

void MainView::setPage(Page page, QWidget *widget)
{
    m_stack->setCurrentWidget(widget);
    if (page == m_page)
        return;
    m_page = page;
    Q_EMIT pageChanged(page);
}

} // namespace quill
