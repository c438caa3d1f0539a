// Which of its states the live show screen shows, and the seller's way between them.
#include "live_view_fixture.h"
#include "log_capture.h"
#include "ui/live/live_stage.h"

#include <QPushButton>
#include <QToolButton>

namespace quill::testing {
namespace {

using Page = LiveShowView::Page;

class LiveViewStates : public LiveViewFixture
{
};

TEST_F(LiveViewStates, SignInAndCancelSwitchBetweenPromptAndLoginPanel)
{
    LiveShowView &screen = open();
    ASSERT_EQ(screen.page(), Page::prompt);
    EXPECT_TRUE(screen.signInButton()->isVisible());
    EXPECT_TRUE(screen.promptBannerSlot()->isVisible());

    QTest::mouseClick(screen.signInButton(), Qt::LeftButton);
    EXPECT_TRUE(controller().showLoginWebView());
    EXPECT_EQ(screen.page(), Page::login);
    EXPECT_TRUE(screen.cancelButton()->isVisible());
    EXPECT_FALSE(screen.signInButton()->isVisible());

    const char *category = "app.quillmark.Quillmark.LiveShowView";
    const QString cancelled = QStringLiteral("🔥 Cancel tapped — hiding login web view");
    LogCapture log(category);
    QTest::mouseClick(screen.cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(controller().showLoginWebView());
    EXPECT_EQ(screen.page(), Page::prompt);
    EXPECT_TRUE(screen.signInButton()->isVisible());
    EXPECT_EQ(log.matching(QString::fromLatin1(category), QtInfoMsg, cancelled).size(), 1);

    // A login that completes hides the panel without a word of Cancel.
    QTest::mouseClick(screen.signInButton(), Qt::LeftButton);
    m_appState->whatnotSession().setAuthenticated(true);
    EXPECT_FALSE(controller().showLoginWebView());
    EXPECT_EQ(log.messages().count(cancelled), 1);
}

TEST_F(LiveViewStates, FollowsTheMarketplaceLoginAndTheChosenStream)
{
    LiveShowView &screen = open();
    QTest::mouseClick(screen.signInButton(), Qt::LeftButton);
    ASSERT_EQ(screen.page(), Page::login);

    // The login in the panel: the panel goes, the connect screen comes.
    m_appState->whatnotSession().setAuthenticated(true);
    EXPECT_EQ(screen.page(), Page::connect);
    EXPECT_TRUE(screen.connectScreenSlot()->isVisible());
    EXPECT_TRUE(screen.connectBannerSlot()->isVisible());

    m_appState->showSyncService().setActiveStreamId(QStringLiteral("show-42"));
    EXPECT_EQ(screen.page(), Page::live);
    EXPECT_TRUE(screen.headerBar()->isVisible());
    EXPECT_TRUE(screen.statusBar()->isVisible());
    EXPECT_TRUE(screen.sidePanelContentSlot()->isVisible());

    // A logout from the marketplace brings the prompt back, not the login panel.
    m_appState->whatnotSession().setAuthenticated(false);
    EXPECT_EQ(screen.page(), Page::prompt);
}

TEST_F(LiveViewStates, ThePrintLogOverlayFollowsTheHeaderButton)
{
    LiveShowView &screen = open();
    goLive();
    ASSERT_EQ(screen.page(), Page::live);
    const bool before = controller().status().showPrintLog;
    EXPECT_EQ(screen.printLogSlot()->isVisible(), before);

    QTest::mouseClick(screen.headerBar()->printLogButton(), Qt::LeftButton);
    EXPECT_NE(controller().status().showPrintLog, before);
    ASSERT_EQ(screen.printLogSlot()->isVisible(), !before);
    if (!before) {
        // 280 wide, 8 from the column's trailing edge, between the header and the status bar.
        const QRect log = rectIn(screen.printLogSlot(), &screen);
        EXPECT_EQ(log.width(), 280);
        EXPECT_EQ(log.right(), kDetailSize.width() - 1 - 8);
        EXPECT_EQ(log.top(), rectIn(screen.headerBar(), &screen).bottom() + 1 + 8);
        EXPECT_EQ(log.bottom(), rectIn(screen.statusBar(), &screen).top() - 1 - 8);
        EXPECT_EQ(screen.headerBar()->printLogButton()->toolTip(), QStringLiteral("Hide Print Log"));
    }
}

} // namespace
} // namespace quill::testing
