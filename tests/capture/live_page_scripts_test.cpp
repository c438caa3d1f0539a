// The live show screen's script runs and the reading of the stream-title answer,
// against a scripted page.
#include "capture/live_page_scripts.h"
#include "run_sync.h"
#include "script_host_fakes.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;
using Script = LivePageScripts::Script;

namespace {

const QDate kToday(2026, 3, 7);
const QString kDated = QStringLiteral("Whatnot Live - Mar 7, 2026");

TEST(LivePageScriptsTitle, ReadsATitleOrFallsBackToTheDatedOne)
{
    struct Case
    {
        const char *name;
        std::optional<QJsonValue> answer;
        QString expected;
    };
    const QList<Case> cases{
        {"title", QJsonValue(QStringLiteral(R"({"title":"Friday Cards"})")), QStringLiteral("Friday Cards")},
        {"title kept as given", QJsonValue(QStringLiteral(R"({"title":"  Ünïcode \"show\"  ","x":1})")),
         QStringLiteral("  Ünïcode \"show\"  ")},
        {"run failed", std::nullopt, kDated},
        {"no result", QJsonValue(QJsonValue::Undefined), kDated},
        {"null result", QJsonValue(QJsonValue::Null), kDated},
        {"not a string", QJsonValue(42), kDated},
        {"an object, not its text",
         QJsonValue(QJsonObject{{QStringLiteral("title"), QStringLiteral("Decoded")}}), kDated},
        {"not JSON", QJsonValue(QStringLiteral("Friday Cards")), kDated},
        {"truncated JSON", QJsonValue(QStringLiteral(R"({"title":"Friday)")), kDated},
        {"not an object", QJsonValue(QStringLiteral(R"(["Friday Cards"])")), kDated},
        {"a bare string", QJsonValue(QStringLiteral(R"("Friday Cards")")), kDated},
        {"no title", QJsonValue(QStringLiteral(R"({"name":"Friday Cards"})")), kDated},
        {"null title", QJsonValue(QStringLiteral(R"({"title":null})")), kDated},
        {"empty title", QJsonValue(QStringLiteral(R"({"title":""})")), kDated},
        {"number title", QJsonValue(QStringLiteral(R"({"title":7})")), kDated},
        {"empty text", QJsonValue(QString()), kDated},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(LivePageScripts::showTitleFromAnswer(c.answer, kToday, QLocale::c()), c.expected) << c.name;
    }
    EXPECT_EQ(LivePageScripts::datedShowTitle(QDate(2025, 12, 25), QLocale::c()),
              QStringLiteral("Whatnot Live - Dec 25, 2025"));
}

TEST(LivePageScriptsTitle, AFailedOrMissingPageGivesTheDatedTitle)
{
    ScriptedHost host;
    host.respond = [](const QString &) -> QJsonValue {
        throw PageScriptError(PageScriptError::Kind::rendererCrashed, QStringLiteral("Renderer gone"));
    };
    LogCapture log("app.quillmark.Quillmark.LiveShowView");
    EXPECT_EQ(runSync(LivePageScripts::showTitle(fixedPageScriptSource(host), kToday, QLocale::c())), kDated);
    ASSERT_EQ(host.calls(), QStringList{LivePageScripts::text(Script::streamTitle)});
    ASSERT_EQ(log.messages().size(), 1);
    EXPECT_TRUE(log.messages().constFirst().contains(QStringLiteral("Renderer gone")));

    EXPECT_EQ(runSync(LivePageScripts::showTitle([]() -> PageScriptHost * { return nullptr; }, kToday,
                                                 QLocale::c())),
              kDated);

    host.respond = [](const QString &) { return QJsonValue(QStringLiteral(R"({"title":"Friday Cards"})")); };
    EXPECT_EQ(runSync(LivePageScripts::showTitle(fixedPageScriptSource(host), kToday, QLocale::c())),
              QStringLiteral("Friday Cards"));
}

class LivePageScriptsRules : public ::testing::Test
{
protected:
    // The scripts the host was asked to run, by name.
    QStringList ran() const
    {
        QStringList names;
        for (const QString &body : m_host.calls()) {
            for (Script script : {Script::cleanStream, Script::removeCleanStream, Script::pictureInPicture,
                                  Script::removePictureInPicture, Script::mute, Script::streamTitle}) {
                if (body == LivePageScripts::text(script))
                    names.append(LivePageScripts::name(script));
            }
        }
        return names;
    }

    ScriptedHost m_host;
    PageScriptSource m_source = fixedPageScriptSource(m_host);
};

TEST_F(LivePageScriptsRules, SettleAndExpansionRunTheirScriptsInOrder)
{
    const QString clean = QStringLiteral("live_clean_stream");
    const QString removeClean = QStringLiteral("live_remove_clean_stream");
    const QString pip = QStringLiteral("live_pip");
    const QString removePip = QStringLiteral("live_remove_pip");
    struct Case
    {
        bool expansion; // expansion rule, else settle rule
        bool expanded;
        bool streamClean;
        QStringList expected;
    };
    const QList<Case> cases{
        {false, true, true, {clean}},
        {false, true, false, {}},
        {false, false, true, {pip}},
        {false, false, false, {pip}},
        {true, true, true, {removePip, clean}},
        {true, true, false, {removePip}},
        {true, false, true, {removeClean, pip}},
        {true, false, false, {removeClean, pip}},
    };
    for (const Case &c : cases) {
        const qsizetype before = m_host.calls().size();
        if (c.expansion)
            runSync(LivePageScripts::applyExpansionRule(m_source, c.expanded, c.streamClean));
        else
            runSync(LivePageScripts::applySettleRule(m_source, c.expanded, c.streamClean));
        EXPECT_EQ(ran().mid(before), c.expected) << (c.expansion ? "expansion" : "settle")
                                                 << " expanded=" << c.expanded << " clean=" << c.streamClean;
    }
}

TEST_F(LivePageScriptsRules, AFailedRunIsReportedAndTheNextStillRuns)
{
    m_host.respond = [](const QString &body) -> QJsonValue {
        if (body == LivePageScripts::text(Script::removeCleanStream))
            throw PageScriptError(PageScriptError::Kind::scriptException, QStringLiteral("TypeError: boom"));
        return QJsonValue(QJsonValue::Undefined);
    };
    LogCapture log("app.quillmark.Quillmark.LiveShowView");
    runSync(LivePageScripts::applyExpansionRule(m_source, false, true));
    EXPECT_EQ(ran(), (QStringList{QStringLiteral("live_remove_clean_stream"), QStringLiteral("live_pip")}));
    ASSERT_EQ(log.messages().size(), 1);
    EXPECT_TRUE(log.messages().constFirst().contains(QStringLiteral("live_remove_clean_stream")));
    EXPECT_TRUE(log.messages().constFirst().contains(QStringLiteral("TypeError: boom")));

    EXPECT_TRUE(runSync(LivePageScripts::run(m_source, Script::mute)));
    EXPECT_FALSE(runSync(LivePageScripts::run(m_source, Script::removeCleanStream)));
    EXPECT_FALSE(runSync(LivePageScripts::run([]() -> PageScriptHost * { return nullptr; }, Script::mute)));
}

} // namespace
