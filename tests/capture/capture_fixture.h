#pragma once

// Shared by the capture module's WebEngine tests: the stand-in marketplace on a
// free port, a WhatnotSession on it with a profile of its own in a temporary
// folder, shown in a view (so the page is visible, has a viewport and runs its
// timers at full speed), and helpers to wait for the page.

#include "capture/auction_poller.h"
#include "capture/page_scripts.h"
#include "capture/whatnot_session.h"
#include "common/settings.h"
#include "common/user_scoped.h"
#include "eventually.h"
#include "fake_sleeper.h"
#include "renderer_kill.h"
#include "run_sync.h"
#include "standin_marketplace.h"
#include "temporary_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace quill::testing {

// The object a page script answered with, from the JSON text it returned.
inline QJsonObject decodeObject(const QJsonValue &answer)
{
    return QJsonDocument::fromJson(answer.toString().toUtf8()).object();
}

// Loads `url` and waits for the load to end; answers whether it succeeded.
inline bool loadAndWait(QWebEnginePage &page, const QUrl &url,
                        std::chrono::milliseconds timeout = std::chrono::seconds(15))
{
    QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
    page.load(url);
    if (!eventually([&] { return !finished.isEmpty(); }, timeout))
        return false;
    return finished.constLast().at(0).toBool();
}

// Waits for the load that something else started.
inline bool waitForLoad(QWebEnginePage &page, const std::function<void()> &start,
                        std::chrono::milliseconds timeout = std::chrono::seconds(15))
{
    QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
    start();
    if (!eventually([&] { return !finished.isEmpty(); }, timeout))
        return false;
    return finished.constLast().at(0).toBool();
}

// Waits for the end of the load of `url` that `start` begins; loads of other
// addresses that end meanwhile (one that was already under way) do not count.
inline bool waitForLoadOf(QWebEnginePage &page, const QUrl &url, const std::function<void()> &start,
                          std::chrono::milliseconds timeout = std::chrono::seconds(15))
{
    std::optional<bool> outcome;
    const QMetaObject::Connection connection =
        QObject::connect(&page, &QWebEnginePage::loadingChanged, [&](const QWebEngineLoadingInfo &info) {
            if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus && info.url() == url)
                outcome = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
        });
    start();
    const bool ended = eventually([&] { return outcome.has_value(); }, timeout);
    QObject::disconnect(connection);
    return ended && *outcome;
}

// Kills the page's render process, as a crash would, and waits until the page
// has reported it. Answers false when there was no render process.
inline bool crashRenderer(QWebEnginePage &page)
{
    return killRenderer(page);
}

// A stand-in marketplace, private user defaults and (on first use) a
// WhatnotSession pointed at the stand-in, with its page shown in a view.
//
// Use it as the base of a WebEngine* fixture:
//   class WebEngineThingTest : public quill::testing::MarketplaceFixture {};
//   TEST_F(WebEngineThingTest, ...) { openStream("show-1"); ... runScript("return 1"); }
class MarketplaceFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_NE(m_marketplace.listen(), 0);
        UserScoped::setCurrentUser(std::nullopt, nullptr);
    }

    void TearDown() override
    {
        m_view.reset();
        m_session.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        UserScoped::setCurrentUser(std::nullopt, nullptr);
        // The engine closes a profile's files a moment after the profile is gone.
        eventually([&] { return QDir(m_folder.path()).removeRecursively(); }, std::chrono::seconds(5));
    }

    standin::StandinMarketplace &marketplace() { return m_marketplace; }
    Settings &settings() { return *m_settings; }
    QString folder() const { return m_folder.path(); }
    // The session's profile folder (inside the temporary folder).
    QString profileFolder() const { return m_folder.filePath(QStringLiteral("profile")); }

    // Options of the session made by session(); change them before its first use.
    WhatnotSessionOptions &sessionOptions()
    {
        if (!m_optionsReady) {
            if (m_profileName.isEmpty())
                m_profileName = QStringLiteral("test-%1").arg(++profileCounter());
            m_options = WhatnotSessionOptions{};
            m_options.homeURL = m_marketplace.homeUrl();
            m_options.livePrefix = m_marketplace.livePrefix();
            m_options.settings = m_settings.get();
            m_options.profileName = m_profileName;
            m_options.storageFolder = profileFolder();
            m_optionsReady = true;
        }
        return m_options;
    }

    WhatnotSession &session()
    {
        if (!m_session) {
            m_session = std::make_unique<WhatnotSession>(std::move(sessionOptions()));
            m_view = std::make_unique<QWebEngineView>();
            m_view->setPage(m_session->webPage());
            m_view->resize(1280, 800);
            m_view->show();
        }
        return *m_session;
    }
    // Ends the session (as at quitting); the next session() starts a new one on
    // the same profile, as at the next start (set sessionOptions() again).
    void restartSession()
    {
        m_view.reset();
        m_session.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_optionsReady = false;
        // The engine writes the old profile's cookies and closes its files only
        // after the profile is gone (at quitting, its shutdown waits for that); a
        // new profile that opened them earlier would miss what was stored.
        EXPECT_TRUE(eventually([&] { return openFilesUnder(profileFolder()).isEmpty(); }))
            << "the old profile still holds "
            << openFilesUnder(profileFolder()).join(QLatin1Char(',')).toStdString();
    }
    // The files this process holds open inside `folder` (relative paths).
    static QStringList openFilesUnder(const QString &folder)
    {
        QStringList result;
        const QString prefix = QDir(folder).canonicalPath() + QLatin1Char('/');
        const QFileInfoList fds =
            QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System);
        for (const QFileInfo &fd : fds) {
            const QString target = fd.symLinkTarget();
            if (target.startsWith(prefix))
                result.append(target.mid(prefix.size()));
        }
        return result;
    }

    QWebEnginePage &page() { return *session().webPage(); }
    PageScriptHost &host() { return session().scriptHost(); }

    // Runs a script body in the session's page and answers its value (throws PageScriptError).
    QJsonValue runScript(const QString &body) { return runSync(host().run(body)); }

    // Opens the show's live page and waits until it has loaded.
    bool openStream(const QString &streamId)
    {
        return waitForLoadOf(page(), marketplace().liveUrl(streamId),
                             [&] { session().navigateToStream(streamId); });
    }
    bool openHome()
    {
        return waitForLoadOf(page(), marketplace().homeUrl(), [&] { session().load(); });
    }
    // Renders the stand-in's pending activity in the live page now; answers how many items.
    int syncPage() { return runScript(QStringLiteral("return window.__standin.sync();")).toInt(-1); }

    // Logs in through the stand-in's login form, as the seller would; answers
    // whether the marketplace home page then loaded.
    bool logInThroughForm(const QString &user = QStringLiteral("seller"))
    {
        if (!loadAndWait(page(), m_marketplace.loginUrl()))
            return false;
        const QString fill = QStringLiteral("var f = document.querySelector('form.login');"
                                            "f.username.value = %1; f.password.value = 'secret';"
                                            "setTimeout(function () { f.submit(); }, 0); return true;")
                                 .arg(QStringLiteral("'") + user + QStringLiteral("'"));
        return waitForLoad(page(), [&] { runScript(fill); });
    }

private:
    static int &profileCounter()
    {
        static int counter = 0;
        return counter;
    }

    QTemporaryDir m_folder;
    standin::StandinMarketplace m_marketplace;
    TemporarySettings m_settings;
    WhatnotSessionOptions m_options;
    QString m_profileName;
    bool m_optionsReady = false;
    std::unique_ptr<WhatnotSession> m_session;
    std::unique_ptr<QWebEngineView> m_view;
};

// Two pollers on one page: `incremental` polls it with its own loop, each call
// asking only for what changed since its last answer; `full` takes in a scan of
// every notice after each of those polls. Both read the same clock, so their
// captures must be equal, field by field.
class PollerPair
{
public:
    explicit PollerPair(WhatnotSession &session) : m_session(session) {}
    ~PollerPair()
    {
        if (incremental.isPolling())
            incremental.togglePolling(m_session);
        m_sleeper.releaseAll();
    }

    // The incremental poller's next call (the first one switches polling on);
    // answers whether it ended and the loop paused again.
    bool pollIncremental()
    {
        const qsizetype pauses = m_sleeper.sleeps().size();
        // A loop left paused from before a reset ends when released, without a call.
        m_sleeper.releaseAll();
        if (!incremental.isPolling())
            incremental.togglePolling(m_session);
        return eventually([&] { return m_sleeper.sleeps().size() == pauses + 1 && m_sleeper.heldCount() == 1; });
    }
    // One poll of each.
    bool poll()
    {
        if (!pollIncremental())
            return false;
        full.processWinScanJSON(runSync(m_session.scriptHost().run(PageScripts::winScan())).toString());
        return true;
    }
    // How many notices the incremental poller's last answer held.
    int lastAnswerCount() const
    {
        return QJsonDocument::fromJson(incremental.rawJSON().toUtf8()).object().value("count").toInt(-1);
    }
    std::chrono::milliseconds lastPause() const { return m_sleeper.sleeps().constLast(); }

    static QStringList captures(const AuctionPoller &poller)
    {
        QStringList out;
        for (const CapturedAuction &a : poller.capturedAuctions())
            out.append(QStringList{a.id, a.rawTitle.value_or("-"), a.avatarURL.value_or("-")}.join('|'));
        return out;
    }
    // Answers whether both hold the same captures; a test failure shows both lists.
    bool same() const
    {
        EXPECT_EQ(captures(incremental), captures(full));
        return incremental.capturedAuctions() == full.capturedAuctions();
    }

private:
    WhatnotSession &m_session;
    FakeClock m_clock;
    HeldSleeper m_sleeper;

public:
    AuctionPoller incremental{m_sleeper, m_clock};
    AuctionPoller full{m_sleeper, m_clock};
};

} // namespace quill::testing
