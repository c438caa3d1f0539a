#pragma once

// The program as the seller runs it, offscreen: the real screens, the marketplace
// page in Qt WebEngine on the stand-in marketplace, the stand-in backend over HTTP and
// the private cupsd's TestLabel queue. Shared by the main-road tests and the soak.
#include "../shell/shell_fixture.h"
#include "capture/auction_poller.h"
#include "capture/webengine_marketplace_page.h"
#include "capture/whatnot_session.h"
#include "common/web_engine_flags.h"
#include "cups_testbed.h"
#include "printing/auto_print_manager.h"
#include "printing/label_section_state.h"
#include "renderer_kill.h"
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

namespace tb = quill::testing::cups;
using namespace std::chrono_literals;

const QString kStream = QStringLiteral("show-road");
const QString kQueue = QStringLiteral("TestLabel");
const QString kStreamTitle = QStringLiteral("Friday Night Cards");

class LiveRoadFixture : public ShellFixture
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

    // The program as it runs for the seller, with real timers (or `sleeper`), the CUPS
    // tools and the marketplace page in Qt WebEngine on the stand-in marketplace.
    ApplicationShell &startProgram(Sleeper *sleeper = nullptr)
    {
        AppSetup options = setup();
        options.sleeper = sleeper;
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
    void runToLiveShow(Sleeper *sleeper = nullptr)
    {
        startProgram(sleeper);
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
        ASSERT_TRUE(tb::eventually([&] { return allPrinted(jobs); }, std::chrono::milliseconds(30000)));
        ASSERT_TRUE(tb::eventually([&] { return tb::jobFiles(kQueue).size() == before + jobs; }, std::chrono::milliseconds(30000)));
    }

    static inline int s_profiles = 0;
    standin::StandinMarketplace m_marketplace;
    std::unique_ptr<StandinBrowser> m_browser;
    std::unique_ptr<ApplicationShell> m_shell;
};

} // namespace quill::testing
