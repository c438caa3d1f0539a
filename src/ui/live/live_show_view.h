#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;
class QStackedLayout;
class QWebEngineView;

namespace quill {

class AppState;
class LiveHeaderBar;
class LiveShowController;
class LiveStage;
class LiveStatusBar;
class PageBox;

// The seller's working screen during a live show: the prompt to sign in to the
// marketplace (or the login panel), the connect screen, or the live content with
// the marketplace page beside the side panel. All its state and logic are the
// controller's; the screen shows them and hands it the seller's actions.
class LiveShowView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveShowView)

public:
    enum class Page
    {
        prompt,
        login,
        connect,
        live
    };

    static inline const QString kEndConfirmationTitle = QStringLiteral("End this show?");
    static inline const QString kEndConfirmationMessage =
        QStringLiteral("This will stop capturing auctions and end the current show.");

    // With a controller of its own over the application's live show.
    explicit LiveShowView(AppState &appState, QWidget *parent = nullptr);
    explicit LiveShowView(LiveShowController &controller, QWidget *parent = nullptr);
    ~LiveShowView() override;

    LiveShowController &controller() const { return m_controller; }
    Page page() const { return m_page; }
    QWidget *currentPage() const;

    // The one view of the marketplace page; null when the session has no on-screen page.
    QWebEngineView *pageView() const { return m_pageView; }
    QPushButton *signInButton() const { return m_signIn; }
    QPushButton *cancelButton() const { return m_cancel; }
    QWidget *loginPageHost() const { return m_loginPageHost; }
    LiveStage *stage() const { return m_stage; }
    PageBox *pageBox() const { return m_pageBox; }
    LiveHeaderBar *headerBar() const { return m_header; }
    LiveStatusBar *statusBar() const { return m_status; }
    // The End Show confirmation while it is up.
    QMessageBox *endConfirmation() const { return m_endConfirmation; }

    // Slots that other parts of the screen fill.
    QWidget *promptBannerSlot() const { return m_promptBanner; }
    QWidget *connectBannerSlot() const { return m_connectBanner; }
    QWidget *connectScreenSlot() const { return m_connectScreen; }
    QWidget *sidePanelContentSlot() const { return m_sidePanelContent; }
    QWidget *printLogSlot() const { return m_printLog; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *buildPrompt();
    QWidget *buildLoginPanel();
    QWidget *buildConnect();
    QWidget *buildLive();
    void bind();
    void followState();
    void placePageView();
    void followEndConfirmation(bool shown);

    std::unique_ptr<LiveShowController> m_ownController;
    LiveShowController &m_controller;
    QStackedLayout *m_pages = nullptr;
    Page m_page = Page::prompt;
    bool m_pageAnnounced = false; // the controller was told the current page came on screen

    QWidget *m_promptPage = nullptr;
    QWidget *m_loginPage = nullptr;
    QWidget *m_connectPage = nullptr;
    QWidget *m_livePage = nullptr;

    QWidget *m_promptBanner = nullptr;
    QPushButton *m_signIn = nullptr;
    QPushButton *m_cancel = nullptr;
    QWidget *m_loginPageHost = nullptr;
    QWidget *m_connectBanner = nullptr;
    QWidget *m_connectScreen = nullptr;

    QWebEngineView *m_pageView = nullptr;
    LiveStage *m_stage = nullptr;
    PageBox *m_pageBox = nullptr;
    LiveHeaderBar *m_header = nullptr;
    LiveStatusBar *m_status = nullptr;
    QWidget *m_sidePanelContent = nullptr;
    QWidget *m_printLog = nullptr;
    QPointer<QMessageBox> m_endConfirmation;
};

} // namespace quill
