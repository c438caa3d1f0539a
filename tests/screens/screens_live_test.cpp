// The live show screen as a seller sees it, with the marketplace page on the
// stand-in marketplace in Qt WebEngine: the sign-in prompt, the login panel, the
// live content with the page as the strip and as the floating box, and the staff tools.
#include "capture/webengine_marketplace_page.h"
#include "capture/whatnot_session.h"
#include "eventually.h"
#include "screen_capture.h"
#include "shell_fixture.h"
#include "standin_marketplace.h"
#include "ui/live/live_header_bar.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_show_view.h"
#include "ui/live/live_stage.h"
#include "ui/live/live_status_bar.h"
#include "ui/live/page_box.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QFrame>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace quill::testing {
namespace {

using namespace std::chrono_literals;

class WebEngineScreensLive : public ShellFixture
{
protected:
    static inline const QSize kSize{880, 800};
    static inline const QString kStream = QStringLiteral("show-42");

    void SetUp() override
    {
        ShellFixture::SetUp();
        applyAppLook(*qApp);
        ASSERT_NE(m_marketplace.listen(), 0);
        m_marketplace.setStreamTitle(kStream, QStringLiteral("Friday Night Cards"));
        m_marketplace.addSampleActivity(kStream, 12, 4);
    }

    void TearDown() override
    {
        m_view.reset();
        m_controller.reset();
        ShellFixture::TearDown();
    }

    // Signed in to the backend with the marketplace page on the stand-in marketplace.
    void start(const QString &email)
    {
        storeSession(QStringLiteral("u1"), email);
        AppSetup options = setup();
        options.marketplaceHomeURL = m_marketplace.homeUrl();
        options.marketplaceLivePrefix = m_marketplace.livePrefix();
        const QString folder = m_home.filePath(QStringLiteral("profile"));
        options.makeMarketplacePage = [this, folder] {
            return std::make_unique<WebEngineMarketplacePage>(
                QStringLiteral("ScreensLive%1").arg(++s_profiles), folder, m_sleeper, 5s);
        };
        AppState &app = makeAppState(std::move(options));
        startAndWait(app);
        m_controller = std::make_unique<LiveShowController>(LiveServices::of(app));
    }

    LiveShowView &openView()
    {
        m_view = std::make_unique<LiveShowView>(*m_controller);
        m_view->resize(kSize);
        return *m_view;
    }

    // Runs `action` and waits until the page has loaded `url`, then until the view
    // has drawn it.
    bool waitForPage(const QUrl &url, const std::function<void()> &action)
    {
        QWebEnginePage *page = m_appState->whatnotSession().webPage();
        std::optional<bool> outcome;
        const auto connection =
            QObject::connect(page, &QWebEnginePage::loadingChanged, [&](const QWebEngineLoadingInfo &info) {
                if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus && info.url() == url)
                    outcome = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
            });
        action();
        const bool loaded = eventually([&] { return outcome.has_value(); }, std::chrono::seconds(20)) && *outcome;
        QObject::disconnect(connection);
        return loaded;
    }

    // A live show on the stand-in stream, the page on its live page.
    void openLive()
    {
        m_marketplace.setLoggedIn(true);
        m_appState->whatnotSession().setAuthenticated(true);
        // On the stream's page before the stream is chosen, as after the connect screen:
        // the show's title is read from there, and the pauses of this fixture never end.
        ASSERT_TRUE(waitForPage(m_marketplace.liveUrl(kStream),
                                [&] { m_appState->whatnotSession().navigateToStream(kStream); }));
        m_appState->showSyncService().setActiveStreamId(kStream);
        LiveShowView &screen = openView();
        screen.show();
        ASSERT_EQ(screen.page(), LiveShowView::Page::live);
        ASSERT_TRUE(
            eventually([&] { return !m_appState->showSyncService().activeShowId().isEmpty(); }, std::chrono::seconds(20)));
    }

    void setPrintLog(bool shown)
    {
        if (m_controller->status().showPrintLog != shown)
            m_controller->togglePrintLog();
    }

    // Takes the picture once the layers are in place and, when `pageArea` is given,
    // the page's content has reached the view there (more than a blank page).
    static QImage captureSettled(LiveShowView &screen, const QString &name,
                                 std::optional<QRect> pageArea = {})
    {
        screen.resize(kSize);
        screen.show();
        if (pageArea) {
            const bool drawn =
                eventually([&] { return hasContent(screen.grab().toImage(), *pageArea); }, std::chrono::seconds(15));
            EXPECT_TRUE(drawn) << "the page was not drawn in " << name.toStdString();
        }
        return test::captureScreen(screen, kSize, name);
    }

    // Text, pictures or the stream: dark marks inside a page that is light as it loads.
    static bool hasContent(const QImage &image, const QRect &area)
    {
        int marks = 0;
        for (int y = area.top(); y <= area.bottom(); y += 3)
            for (int x = area.left(); x <= area.right(); x += 3)
                marks += image.pixelColor(x, y).lightness() < 140 ? 1 : 0;
        return marks > 40;
    }

    static bool near(const QColor &a, const QColor &b, int tolerance = 6)
    {
        return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
               std::abs(a.blue() - b.blue()) <= tolerance;
    }
    static QRect rectIn(const QWidget *widget, const QWidget *ancestor)
    {
        return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
    }

    static inline int s_profiles = 0;
    standin::StandinMarketplace m_marketplace;
    std::unique_ptr<LiveShowController> m_controller;
    std::unique_ptr<LiveShowView> m_view;
};

TEST_F(WebEngineScreensLive, Prompt)
{
    start(QStringLiteral("seller@example.com"));
    LiveShowView &screen = openView();
    const QImage image = captureSettled(screen, QStringLiteral("live-prompt"));
    ASSERT_EQ(screen.page(), LiveShowView::Page::prompt);
    EXPECT_TRUE(near(image.pixelColor(5, 5), appBackgroundColor(), 3));
    // The prominent button sits in the middle, in the accent colour.
    const QRect button = rectIn(screen.signInButton(), &screen);
    EXPECT_NEAR(button.center().x(), kSize.width() / 2, 2);
    EXPECT_TRUE(near(image.pixelColor(button.left() + 4, button.center().y()), appAccentColor()));
}

TEST_F(WebEngineScreensLive, Login)
{
    start(QStringLiteral("seller@example.com"));
    LiveShowView &screen = openView();
    screen.show();
    ASSERT_TRUE(waitForPage(m_marketplace.homeUrl(),
                            [&] { QTest::mouseClick(screen.signInButton(), Qt::LeftButton); }));
    const QImage image =
        captureSettled(screen, QStringLiteral("live-login"), rectIn(screen.pageView(), &screen));
    ASSERT_EQ(screen.page(), LiveShowView::Page::login);
    ASSERT_NE(screen.pageView(), nullptr);
    EXPECT_EQ(screen.pageView()->parentWidget(), screen.loginPageHost());
    // The page fills the panel under its header row.
    const QRect page = rectIn(screen.pageView(), &screen);
    EXPECT_EQ(page.width(), kSize.width());
    EXPECT_EQ(page.bottom(), kSize.height() - 1);
    EXPECT_GT(page.top(), 30);
    EXPECT_LT(page.top(), 70);
    // The stand-in's light page shows there, not the dark window.
    EXPECT_GT(image.pixelColor(page.center()).lightness(), 200);
    EXPECT_TRUE(near(image.pixelColor(5, 5), appBackgroundColor(), 3));
}

TEST_F(WebEngineScreensLive, Expanded)
{
    start(QStringLiteral("seller@example.com"));
    ASSERT_NO_FATAL_FAILURE(openLive());
    LiveShowView &screen = *m_view;
    QWebEngineView *view = screen.pageView();
    setPrintLog(false);
    m_controller->setShowVideo(true);
    m_controller->setWebViewExpanded(true);
    const QImage image = captureSettled(screen, QStringLiteral("live-expanded"), QRect(0, 40, 352, 760));
    // The same view moved into the box: the left-hand 40 %, the side panel beside it.
    EXPECT_EQ(screen.pageView(), view);
    EXPECT_EQ(view->parentWidget(), screen.pageBox());
    EXPECT_EQ(rectIn(screen.pageBox(), &screen), QRect(0, 0, 352, 800));
    EXPECT_EQ(rectIn(screen.headerBar(), &screen).left(), 352);
    EXPECT_TRUE(near(image.pixelColor(600, 400), appBackgroundColor(), 3));
    EXPECT_FALSE(near(image.pixelColor(176, 100), appBackgroundColor(), 3));
    EXPECT_TRUE(screen.statusBar()->endShowButton()->isVisible());
}

TEST_F(WebEngineScreensLive, PictureInPicture)
{
    start(QStringLiteral("seller@example.com"));
    ASSERT_NO_FATAL_FAILURE(openLive());
    LiveShowView &screen = *m_view;
    setPrintLog(false);
    m_controller->setShowVideo(true);
    const QImage image = captureSettled(screen, QStringLiteral("live-pip"),
                                        QRect(kSize.width() - 212 + 12, kSize.height() - 368 + 40, 176, 300));
    const QRect box = rectIn(screen.pageBox(), &screen);
    EXPECT_EQ(box, QRect(kSize.width() - 212, kSize.height() - 368, 200, 356));
    EXPECT_EQ(rectIn(screen.headerBar(), &screen).left(), 0);
    // The page shows inside the box; its rounded corner lets the panel show through,
    // and its shadow falls below it.
    EXPECT_FALSE(near(image.pixelColor(box.center()), appBackgroundColor(), 3));
    EXPECT_TRUE(near(image.pixelColor(box.topLeft()), appBackgroundColor(), 12));
    EXPECT_LT(image.pixelColor(box.center().x(), box.bottom() + 4).lightness(),
              image.pixelColor(box.center().x(), box.bottom() + 11).lightness() + 1);
}

TEST_F(WebEngineScreensLive, StaffTools)
{
    start(QStringLiteral("staff@quillmark.app"));
    ASSERT_NO_FATAL_FAILURE(openLive());
    LiveShowView &screen = *m_view;
    setPrintLog(true);
    QTest::mouseClick(screen.headerBar()->adminButton(), Qt::LeftButton);
    ASSERT_TRUE(m_controller->showAdmin());
    const QImage image = captureSettled(screen, QStringLiteral("live-staff"));
    QFrame *panel = screen.headerBar()->adminToolsPanel();
    ASSERT_TRUE(panel->isVisible());
    // The staff panel's outline is in the staff accent.
    const QRect outline = rectIn(panel, &screen);
    const QColor edge = image.pixelColor(outline.center().x(), outline.top());
    EXPECT_GT(edge.red(), 200);
    EXPECT_GT(edge.green(), 110);
    EXPECT_LT(edge.blue(), 60);
    EXPECT_FALSE(screen.pageBox()->isVisible());
    // The print log lies between the header and the status bar, 280 wide at the trailing edge.
    const QRect log = rectIn(screen.printLogSlot(), &screen);
    EXPECT_EQ(log.width(), 280);
    EXPECT_EQ(log.right(), kSize.width() - 1 - 8);
    EXPECT_EQ(log.top(), rectIn(screen.headerBar(), &screen).bottom() + 1 + 8);
    EXPECT_EQ(log.bottom(), rectIn(screen.statusBar(), &screen).top() - 1 - 8);
}

} // namespace
} // namespace quill::testing
