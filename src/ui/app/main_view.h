#pragma once

#include <QWidget>

#include <memory>

QT_BEGIN_NAMESPACE
class QStackedLayout;
QT_END_NAMESPACE

namespace quill {

class AppState;
class LoadingView;
class SidebarView;

// The main window's content: loading while the session is restored, then the
// sign-in screen or the sidebar, following the sign-in state. Runs the
// application's start-up each time it is shown afresh.
class MainView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainView)

public:
    enum class Page
    {
        loading,
        signIn,
        sidebar
    };

    explicit MainView(AppState &appState, QWidget *parent = nullptr);
    ~MainView() override;

    Page page() const { return m_page; }
    QWidget *currentPage() const;
    // Set while signed in.
    SidebarView *sidebarView() const { return m_sidebar.get(); }

Q_SIGNALS:
    void pageChanged(quill::MainView::Page page);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void followAuthState();
    void setPage(Page page, QWidget *widget);

    AppState &m_appState;
    QStackedLayout *m_stack;
    LoadingView *m_loading;
    std::unique_ptr<QWidget> m_signIn;
    std::unique_ptr<SidebarView> m_sidebar;
    Page m_page = Page::loading;
};

} // namespace quill
