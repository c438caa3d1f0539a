// The page-script host on a real page of the stand-in marketplace: every
// outcome a reader can meet (a value, a script error, a time-out, a crash, a
// closed page) is told apart.

#include "capture/webengine_page_script_host.h"
#include "capture_fixture.h"
#include "script_host_fakes.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QWebEngineProfile>

namespace quill {
namespace {

using testing::HeldSleeper;
using testing::runSync;
using Kind = PageScriptError::Kind;

class WebEngineScriptHostTest : public testing::MarketplaceFixture
{
protected:
    // Runs `body` and answers the failure's kind (fails the test on success).
    static std::optional<Kind> failureOf(QCoro::Task<QJsonValue> task, QString *message = nullptr)
    {
        try {
            runSync(std::move(task));
        } catch (const PageScriptError &error) {
            if (message)
                *message = error.message();
            return error.kind();
        }
        return std::nullopt;
    }
};

TEST_F(WebEngineScriptHostTest, AnswersTheFunctionsValue)
{
    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    EXPECT_EQ(runScript(QStringLiteral("return 6 * 7;")), QJsonValue(42));
    EXPECT_EQ(runScript(QStringLiteral("return JSON.stringify({a: [1, 'x']});")),
              QJsonValue(QStringLiteral("{\"a\":[1,\"x\"]}")));
    EXPECT_EQ(runScript(QStringLiteral("return {n: null, list: [true]};")),
              QJsonValue(QJsonObject{{QStringLiteral("n"), QJsonValue()},
                                     {QStringLiteral("list"), QJsonArray{true}}}));
    EXPECT_EQ(runScript(QStringLiteral("return null;")), QJsonValue(QJsonValue::Null));
    EXPECT_TRUE(runScript(QStringLiteral("var x = 1;")).isUndefined());
    // Runs in the page's own world: the page's globals are there.
    EXPECT_EQ(runScript(QStringLiteral("return typeof window.__standin.sync;")),
              QJsonValue(QStringLiteral("function")));
    EXPECT_EQ(host().run(QStringLiteral("return 1;")).isReady(), false); // answers come asynchronously
}

TEST_F(WebEngineScriptHostTest, TellsAScriptErrorFromABadAnswer)
{
    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    QString message;
    EXPECT_EQ(failureOf(host().run(QStringLiteral("throw new TypeError('no Sold tab');")), &message),
              Kind::scriptException);
    EXPECT_TRUE(message.contains(QStringLiteral("TypeError: no Sold tab"))) << message.toStdString();

    EXPECT_EQ(failureOf(host().run(QStringLiteral("throw 'plain text';")), &message), Kind::scriptException);
    EXPECT_EQ(message, QStringLiteral("plain text"));

    // Values JSON cannot hold are the script's error, not a silent null.
    EXPECT_EQ(failureOf(host().run(QStringLiteral("var o = {}; o.self = o; return o;"))),
              Kind::scriptException);

    // A body that does not compile gives no envelope at all.
    EXPECT_EQ(failureOf(host().run(QStringLiteral("return 1 +;"))), Kind::invalidAnswer);

    // The page is fine afterwards.
    EXPECT_EQ(runScript(QStringLiteral("return 'still here';")), QJsonValue(QStringLiteral("still here")));
}

TEST_F(WebEngineScriptHostTest, TimesOutAndDropsTheLateAnswer)
{
    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    HeldSleeper clock;
    WebEnginePageScriptHost timed(&page(), clock, std::chrono::milliseconds(250));

    auto call = timed.run(QStringLiteral("return 'late';"));
    ASSERT_EQ(clock.sleeps(), QList<std::chrono::milliseconds>{std::chrono::milliseconds(250)});
    clock.releaseAll(); // the time-out comes before the page could answer
    QString message;
    EXPECT_EQ(failureOf(std::move(call), &message), Kind::timedOut);
    EXPECT_TRUE(message.contains(QStringLiteral("250 ms")));
    EXPECT_EQ(timed.pendingCount(), 0);

    // The next call is answered normally; the late answer went nowhere.
    auto next = timed.run(QStringLiteral("return 'next';"));
    EXPECT_EQ(runSync(std::move(next)), QJsonValue(QStringLiteral("next")));
    clock.releaseAll(); // its time-out finds nothing to do
    EXPECT_EQ(timed.pendingCount(), 0);
}

TEST_F(WebEngineScriptHostTest, FailsPendingCallsWhenTheRendererDiesAndWorksAfterAReload)
{
    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    // The first call never ends by itself; the second waits behind it.
    auto stuck = host().run(QStringLiteral("for (;;) {}"));
    auto behind = host().run(QStringLiteral("return 1;"));
    ASSERT_TRUE(testing::crashRenderer(page()));

    QString message;
    EXPECT_EQ(failureOf(std::move(stuck), &message), Kind::rendererCrashed);
    EXPECT_TRUE(message.contains(QStringLiteral("was killed"))) << message.toStdString();
    EXPECT_EQ(failureOf(std::move(behind)), Kind::rendererCrashed);
    // Until the page is loaded again, calls fail at once instead of waiting for the time-out.
    EXPECT_EQ(failureOf(host().run(QStringLiteral("return 1;"))), Kind::rendererCrashed);

    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    EXPECT_EQ(runScript(QStringLiteral("return 2;")), QJsonValue(2));
}

TEST_F(WebEngineScriptHostTest, FailsPendingCallsWhenThePageOrTheHostGoes)
{
    auto *other = new QWebEnginePage(page().profile());
    ASSERT_TRUE(testing::loadAndWait(*other, marketplace().homeUrl()));
    WebEnginePageScriptHost onOther(other);
    auto stuck = onOther.run(QStringLiteral("return 1;"));
    delete other; // before the answer could come back
    EXPECT_EQ(failureOf(std::move(stuck)), Kind::pageGone);
    EXPECT_EQ(failureOf(onOther.run(QStringLiteral("return 1;"))), Kind::pageGone);

    ASSERT_TRUE(openStream(QStringLiteral("s1")));
    auto hostGone = std::make_unique<WebEnginePageScriptHost>(&page());
    auto pending = hostGone->run(QStringLiteral("return 1;"));
    hostGone.reset();
    EXPECT_EQ(failureOf(std::move(pending)), Kind::pageGone);

    WebEnginePageScriptHost noPage(nullptr);
    EXPECT_EQ(failureOf(noPage.run(QStringLiteral("return 1;"))), Kind::pageGone);
}

} // namespace
} // namespace quill
