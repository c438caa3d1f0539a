// The load the Shows screen starts when it is shown is the screen's own: when the
// screen goes away mid-load, none of the load's answer reaches the store, while a
// refresh started elsewhere still lands.
#include "backend/show_history_store.h"
#include "backend/zav_api_client.h"
#include "history_views_fixture.h"

#include <QCoreApplication>
#include <QFile>

using namespace quill;
using namespace quill::testing;

namespace {

class ShowHistoryTask : public HistoryViewsFixture
{
protected:
    ShowHistoryStore &store() { return m_appState->showHistoryStore(); }

    QByteArray cache() const
    {
        QFile file(m_appState->showHistoryStore().cacheFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The screen built again and shown, its load held at the backend.
    void showWithHeldLoad(int heldBefore)
    {
        m_view = std::make_unique<ShowHistoryView>(showHistoryServices(*m_appState));
        m_view->show();
        ASSERT_TRUE(eventually([&] { return m_backend.heldCount() == heldBefore + 1; }));
        ASSERT_TRUE(store().isLoading());
    }

    // Every held answer delivered and taken in.
    void release()
    {
        m_backend.releaseHeld();
        ASSERT_TRUE(eventually([&] {
            return m_appState->authManager().api().requestsInFlight() == 0 && !store().isLoading();
        }));
        QCoreApplication::processEvents();
    }
};

TEST_F(ShowHistoryTask, TheScreensLoadEndsWithTheScreenAndOnlyThatLoad)
{
    seedShow(QStringLiteral("Friday"), QStringLiteral("completed"), QStringLiteral("2026-01-10T10:00:00Z"));
    openScreen();
    const QList<ShowSummary> shows = store().shows();
    const QByteArray cached = cache();
    ASSERT_EQ(shows.size(), 1);
    ASSERT_FALSE(cached.isEmpty());

    {
        SCOPED_TRACE("a failing answer after the screen was closed");
        m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), standin::Fault::held(500));
        ASSERT_NO_FATAL_FAILURE(showWithHeldLoad(0));
        m_view.reset();
        ASSERT_NO_FATAL_FAILURE(release());
        EXPECT_EQ(store().error(), QString());
        EXPECT_FALSE(store().isLoading());
        EXPECT_TRUE(store().shows() == shows) << store().shows().size();
        EXPECT_EQ(cache(), cached);
    }
    {
        SCOPED_TRACE("a new list after the screen was hidden");
        m_backend.clearFaults();
        seedShow(QStringLiteral("Saturday"), QStringLiteral("completed"), QStringLiteral("2026-01-11T10:00:00Z"));
        m_backend.setFault(QStringLiteral("GET"), QStringLiteral("/api/shows"), standin::Fault::held());
        ASSERT_NO_FATAL_FAILURE(showWithHeldLoad(0));
        m_view->hide();
        ASSERT_NO_FATAL_FAILURE(release());
        EXPECT_FALSE(store().isLoading());
        EXPECT_TRUE(store().shows() == shows) << store().shows().size();
        EXPECT_EQ(cache(), cached);
        m_view.reset();
    }
    {
        SCOPED_TRACE("a refresh started elsewhere during the screen's load");
        ASSERT_NO_FATAL_FAILURE(showWithHeldLoad(0));
        auto elsewhere = store().refresh();
        ASSERT_TRUE(eventually([&] { return m_backend.heldCount() == 2; }));
        m_view.reset();
        ASSERT_NO_FATAL_FAILURE(release());
        EXPECT_EQ(store().shows().size(), 2);
        EXPECT_NE(cache(), cached);
    }
}

} // namespace
