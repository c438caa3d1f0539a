// The main road through the real screen, offscreen: Google sign-in on the stand-in
// backend, the marketplace login in the login panel, a stand-in stream connected,
// Start Printing, wins on the stand-in live page in Qt WebEngine, labels in the
// private cupsd's TestLabel queue, auctions on the stand-in backend, End Show.
#include "../shell/shell_fixture.h"
#include "capture/auction_poller.h"
#include "capture/webengine_marketplace_page.h"
#include "capture/whatnot_session.h"
#include "common/web_engine_flags.h"
#include "cups_testbed.h"
#include "printing/auto_print_manager.h"
#include "printing/label_section_state.h"
#include "standin_browser.h"
#include "standin_marketplace.h"
#include "ui/app/application_shell.h"
#include "ui/app/main_view.h"
#include "ui/app/main_window.h"
#include "ui/app/sidebar_section.h"
#include "ui/app/sidebar_view.h"
#include "ui/live/live_header_bar.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_show_view.h"
#include "ui/live/live_status_bar.h"
#include "widget_find.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWebEnginePage>

namespace quill::testing {
namespace {

namespace tb = quill::testing::cups;
using namespace std::chrono_literals;

const QString kStream = QStringLiteral("show-road");
const QString kQueue = QStringLiteral("TestLabel");
const QString kStreamTitle = QStringLiteral("Friday Night Cards");

class CupsWebEngineLiveRoad : public ShellFixture
{
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        tb::resetQueues();
        ASSERT_NE(m_marketplace.listen(), 0);
        m_marketplace.setStreamTitle(kStream, kStreamTitle);
        m_backend.addUser(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
        ASSERT_NO_FATAL_FAILURE(saveLabelPrinters(kQueue));
    }

    void TearDown() override
    {
        if (m_shell) {
            m_shell->appState().auctionPoller().reset();
            m_shell->appState().autoPrintManager().setIsPrinting(false);
        }
        m_shell.reset();
        tb::resetQueues();
        ShellFixture::TearDown();
    }

    // The program as it runs for the seller, with real timers, the CUPS tools and
    // the marketplace page in Qt WebEngine on the stand-in marketplace.
    ApplicationShell &startProgram()
    {
        AppSetup options = setup();
        options.sleeper = nullptr;
        options.printerCatalog = nullptr;
        options.cupsTools.ppdDirectory = tb::ppdDirectory();
        options.marketplaceHomeURL = m_marketplace.homeUrl();
        options.marketplaceLivePrefix = m_marketplace.livePrefix();
        const QString folder = m_home.filePath(QStringLiteral("marketplace-profile"));
        options.makeMarketplacePage = [folder] {
            return std::make_unique<WebEngineMarketplacePage>(QStringLiteral("LiveRoad%1").arg(++s_profiles),
                                                              folder, TimerSleeper::instance(), 5s);
        };
        m_browser = std::make_unique<StandinBrowser>(
            [this](const QUrl &url) { m_shell->appState().authManager().handleCallbackURL(url); },
            QStringLiteral("user=u1"));
        m_opener = [this](const QUrl &url) { return m_browser->open(url); };
        m_shell = std::make_unique<ApplicationShell>(std::move(options), ApplicationShell::Tray::none);
        m_shell->mainWindow().resize(1100, 800);
        m_shell->mainWindow().show();
        return *m_shell;
    }

    MainView &mainView() { return m_shell->mainWindow().mainView(); }
    AppState &app() { return m_shell->appState(); }
    LiveShowView *liveView()
    {
        SidebarView *sidebar = mainView().sidebarView();
        return sidebar ? qobject_cast<LiveShowView *>(sidebar->detailArea()->screen()) : nullptr;
    }

    // Fills and sends the stand-in's login form in the page the login panel shows.
    void logInToMarketplace()
    {
        QWebEnginePage *page = app().whatnotSession().webPage();
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(eventually([&] { return page->url().host() == m_marketplace.homeUrl().host(); }));
        bool loginShown = false;
        const auto connection = QObject::connect(page, &QWebEnginePage::loadFinished, page, [&](bool ok) {
            loginShown = ok && page->url().path() == QStringLiteral("/login");
        });
        page->load(m_marketplace.loginUrl());
        const bool loaded = eventually([&] { return loginShown; });
        QObject::disconnect(connection);
        ASSERT_TRUE(loaded);
        std::optional<bool> sent;
        page->runJavaScript(QStringLiteral("(function () { var f = document.querySelector('form.login');"
                                           " if (!f) return false; f.username.value = 'ava';"
                                           " f.password.value = 'secret';"
                                           " setTimeout(function () { f.submit(); }, 0); return true; })()"),
                            [&sent](const QVariant &result) { sent = result.toBool(); });
        ASSERT_TRUE(eventually([&] { return sent.has_value(); }));
        ASSERT_TRUE(*sent);
    }

    void addWin(const QString &user, qint64 number, const QString &price)
    {
        standin::MarketplaceWin win;
        win.username = user;
        win.title = QStringLiteral("Card #%1").arg(number);
        win.auctionNumber = number;
        win.price = price;
        m_marketplace.addWin(kStream, win);
    }

    bool allPrinted(qsizetype jobs)
    {
        const QList<PrintJob> &queue = app().autoPrintManager().printJobs();
        return queue.size() == jobs && !app().autoPrintManager().isProcessing() &&
               std::all_of(queue.begin(), queue.end(), [](const PrintJob &job) {
                   return job.status.kind == PrintJob::Status::Kind::done;
               });
    }

    QList<standin::StandinAuction> backendAuctions() const
    {
        const QList<standin::StandinShow> shows = m_backend.shows(QStringLiteral("u1"));
        return shows.isEmpty() ? QList<standin::StandinAuction>() : m_backend.auctions(shows.first().id);
    }

    // Signed in through Google and the login panel, the stream connected, the show
    // started on the backend and printing on: what the first test walks through.
    void runToLiveShow()
    {
        startProgram();
        ASSERT_TRUE(eventually([&] { return mainView().page() == MainView::Page::signIn; }));
        QPushButton *google = findButton(mainView().currentPage(), QStringLiteral("Sign in with Google"));
        ASSERT_NE(google, nullptr);
        QTest::mouseClick(google, Qt::LeftButton);
        ASSERT_TRUE(eventually([&] { return liveView() != nullptr; }));
        LiveShowView *screen = liveView();
        ASSERT_EQ(screen->page(), LiveShowView::Page::prompt);

        // The marketplace login in the login panel.
        QTest::mouseClick(screen->signInButton(), Qt::LeftButton);
        ASSERT_EQ(screen->page(), LiveShowView::Page::login);
        ASSERT_NO_FATAL_FAILURE(logInToMarketplace());
        ASSERT_TRUE(eventually([&] { return screen->page() == LiveShowView::Page::connect; }));
        EXPECT_EQ(m_marketplace.signedInUsers(), QStringList{QStringLiteral("ava")});

        // The seller pastes the stream's address into the connect screen's field.
        auto *field = screen->currentPage()->findChild<QLineEdit *>(QStringLiteral("streamField"));
        ASSERT_NE(field, nullptr);
        ASSERT_TRUE(field->isVisible());
        const QString address = m_marketplace.livePrefix() + kStream;
        EXPECT_TRUE(address.startsWith(QStringLiteral("http://")));
        EXPECT_EQ(field->placeholderText(), address.mid(7).replace(kStream, QStringLiteral("abc123")));
        field->clear();
        QTest::keyClicks(field, address);
        QTest::keyClick(field, Qt::Key_Return);
        ASSERT_EQ(screen->page(), LiveShowView::Page::live);
        EXPECT_EQ(app().showSyncService().activeStreamId(), kStream);
        ASSERT_TRUE(eventually([&] { return !app().showSyncService().activeShowId().isEmpty(); }));
        ASSERT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 1);
        // Titled from the stream's live page, not from the home page it came from.
        EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).first().title, kStreamTitle);
        ASSERT_TRUE(eventually([&] { return app().auctionPoller().isPolling(); }));

        QPushButton *printing = screen->headerBar()->printingButton();
        if (!app().autoPrintManager().isPrinting())
            QTest::mouseClick(printing, Qt::LeftButton);
        ASSERT_TRUE(app().autoPrintManager().isPrinting());
        EXPECT_EQ(printing->text(), QStringLiteral("Pause Printing"));
    }

    // Waits until every label of the captures so far has reached the scheduler.
    void waitForLabels(qsizetype before)
    {
        const qsizetype jobs = app().autoPrintManager().printJobs().size();
        ASSERT_TRUE(tb::eventually([&] { return allPrinted(jobs); }, std::chrono::seconds(30)));
        ASSERT_TRUE(tb::eventually([&] { return tb::jobFiles(kQueue).size() == before + jobs; }, std::chrono::seconds(30)));
    }

    static inline int s_profiles = 0;
    standin::StandinMarketplace m_marketplace;
    std::unique_ptr<StandinBrowser> m_browser;
    std::unique_ptr<ApplicationShell> m_shell;
};

TEST_F(CupsWebEngineLiveRoad, AShowFromSignInToEndShow)
{
    ASSERT_NO_FATAL_FAILURE(runToLiveShow());
    LiveShowView *screen = liveView();

    const qsizetype before = tb::jobFiles(kQueue).size();
    addWin(QStringLiteral("alice"), 1, QStringLiteral("12"));
    addWin(QStringLiteral("bob"), 2, QStringLiteral("30.50"));
    addWin(QStringLiteral("alice"), 3, QStringLiteral("8"));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 3; }));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 3; }));
    // Winner labels for the three wins, and a box label for each of the two buyers.
    const qsizetype jobs = app().autoPrintManager().printJobs().size();
    EXPECT_GE(jobs, 3);
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));
    EXPECT_EQ(screen->statusBar()->capturedLabel()->text(), QStringLiteral("3 captured"));

    // End Show, confirmed.
    QTest::mouseClick(screen->statusBar()->endShowButton(), Qt::LeftButton);
    ASSERT_NE(screen->endConfirmation(), nullptr);
    QTest::mouseClick(screen->endConfirmation()->findChild<QPushButton *>(QStringLiteral("confirmEndShow")),
                      Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return app().showSyncService().activeShowId().isEmpty(); }));
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).first().status, QStringLiteral("completed"));
    EXPECT_FALSE(app().autoPrintManager().isPrinting());
    EXPECT_EQ(screen->page(), LiveShowView::Page::connect);
    EXPECT_EQ(tb::jobFiles(kQueue).size(), before + jobs);
}

TEST_F(CupsWebEngineLiveRoad, CaptureKeepsGoingWhileTheLiveScreenIsNotShown)
{
    ASSERT_NO_FATAL_FAILURE(runToLiveShow());
    const qsizetype before = tb::jobFiles(kQueue).size();
    addWin(QStringLiteral("alice"), 1, QStringLiteral("12"));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 1; }));
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));

    // Another section on screen: the page is off screen, capture goes on.
    mainView().sidebarView()->selection().setValue(SidebarSection::printers);
    ASSERT_TRUE(eventually([&] { return liveView() == nullptr; }));
    addWin(QStringLiteral("bob"), 2, QStringLiteral("30"));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 2; }));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 2; }));
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));

    // The window closed to the tray.
    MainWindow &window = m_shell->mainWindow();
    window.setKeepsRunningWhenClosed(true);
    window.close();
    ASSERT_FALSE(window.isVisible());
    addWin(QStringLiteral("carol"), 3, QStringLiteral("9.50"));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 3; }));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 3; }));
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));
    QStringList labels;
    for (const PrintJob &job : app().autoPrintManager().printJobs())
        labels.append(job.label);
    for (const QString &user : {QStringLiteral("@alice"), QStringLiteral("@bob"), QStringLiteral("@carol")})
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QString &l) {
            return l.contains(user);
        })) << user.toStdString();
    // The engine runs the page as in the foreground.
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const QByteArray &flag : kBackgroundPageFlags)
        EXPECT_TRUE(flags.split(' ').contains(flag)) << flag.constData();
}

TEST_F(CupsWebEngineLiveRoad, ARestartMidShowReprintsNothingAndUploadsEachPendingWinOnce)
{
    ASSERT_NO_FATAL_FAILURE(runToLiveShow());
    const qsizetype before = tb::jobFiles(kQueue).size();
    addWin(QStringLiteral("alice"), 1, QStringLiteral("12"));
    addWin(QStringLiteral("bob"), 2, QStringLiteral("30"));
    ASSERT_TRUE(eventually([&] { return backendAuctions().size() == 2; }));
    ASSERT_NO_FATAL_FAILURE(waitForLabels(before));

    // The backend stops taking auctions and printing is paused: one more win is
    // captured, its labels queued and its upload pending when the program ends.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*/auctions"),
                       standin::Fault::status(503));
    QTest::mouseClick(liveView()->headerBar()->printingButton(), Qt::LeftButton);
    ASSERT_FALSE(app().autoPrintManager().isPrinting());
    addWin(QStringLiteral("carol"), 3, QStringLiteral("9.50"));
    ASSERT_TRUE(eventually([&] { return app().autoPrintManager().printJobs().size() == 6; }));
    ASSERT_TRUE(eventually([&] { return app().showSyncService().pendingUploadCount() > 0; }));
    const qsizetype printedBeforeRestart = tb::jobFiles(kQueue).size();
    EXPECT_EQ(printedBeforeRestart, before + 4);
    const int carolBox = app().autoPrintManager().boxNumbers().value(QStringLiteral("carol"));
    EXPECT_EQ(carolBox, 3);

    // The program ends mid-show and starts again over the same data folder, settings
    // and keychain; the page still shows every earlier win, uploads still fail.
    m_shell.reset();
    startProgram();
    ASSERT_TRUE(eventually([&] { return liveView() != nullptr; }));
    LiveShowView *screen = liveView();
    ASSERT_TRUE(eventually([&] { return screen->page() == LiveShowView::Page::live; }))
        << "the stored stream was not taken up";
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 3; }));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().isPolling(); }));
    EXPECT_EQ(m_backend.shows(QStringLiteral("u1")).size(), 1); // the show is resumed, not made anew

    // Uploads work again and printing goes on: carol's queued labels and a new win's
    // print, nothing printed before the restart prints again, box numbers continue,
    // and the pending win arrives once.
    m_backend.clearFaults();
    if (!app().autoPrintManager().isPrinting())
        QTest::mouseClick(screen->headerBar()->printingButton(), Qt::LeftButton);
    addWin(QStringLiteral("dave"), 4, QStringLiteral("20"));
    ASSERT_TRUE(eventually([&] { return app().auctionPoller().capturedAuctions().size() == 4; }));
    ASSERT_TRUE(tb::eventually([&] { return backendAuctions().size() == 4; }, std::chrono::seconds(30)));
    ASSERT_TRUE(
        tb::eventually([&] { return allPrinted(app().autoPrintManager().printJobs().size()); }, std::chrono::seconds(30)));
    QStringList labels;
    for (const PrintJob &job : app().autoPrintManager().printJobs())
        labels.prepend(job.label);
    EXPECT_EQ(labels, QStringList({"@carol $9.5", "Box #3 @carol", "@dave $20", "Box #4 @dave"}));
    // The scheduler writes a job's file a little after lp has returned.
    EXPECT_TRUE(tb::eventually(
        [&] { return tb::jobFiles(kQueue).size() == printedBeforeRestart + labels.size(); }, std::chrono::seconds(30)))
        << tb::jobFiles(kQueue).size() << " files for " << printedBeforeRestart + labels.size() << " labels";
    EXPECT_EQ(app().autoPrintManager().boxNumbers().value(QStringLiteral("dave")), 4);
    QList<qint64> numbers;
    for (const standin::StandinAuction &auction : backendAuctions())
        numbers.append(auction.auctionNumber.value_or(-1));
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (QList<qint64>{1, 2, 3, 4}));
    EXPECT_EQ(app().showSyncService().pendingUploadCount(), 0);
}

} // namespace
} // namespace quill::testing
