#include "capture/sold_scraper.h"

#include "capture/auction_poller.h"
#include "capture/page_scripts.h"
#include "capture/whatnot_session.h"
#include "common/error.h"
#include "common/json.h"
#include "common/logging.h"

#include <QJsonValue>
#include <QPointer>

namespace quill {

namespace {

using namespace std::chrono_literals;

QCoro::Task<QJsonValue> runScript(const PageScriptSource &source, QString script)
{
    PageScriptHost &host = requirePageScriptHost(source);
    QJsonValue answer = co_await host.run(std::move(script));
    co_return answer;
}

template <typename T>
std::optional<T> decodeAnswer(const QJsonValue &answer, const QString &what)
{
    if (!answer.isString())
        return std::nullopt;
    try {
        return T::fromJson(json::parseObject(answer.toString().toUtf8(), what));
    } catch (const json::DecodeError &) {
        return std::nullopt;
    }
}

} // namespace

SoldTabInfo SoldTabInfo::fromJson(const QJsonObject &object)
{
    const json::ObjectReader reader(object, QStringLiteral("sold tab"));
    SoldTabInfo out;
    out.clicked = reader.requiredBool(QStringLiteral("clicked"));
    out.expectedCount = reader.optionalInteger(QStringLiteral("expectedCount"));
    return out;
}

ItemCountInfo ItemCountInfo::fromJson(const QJsonObject &object)
{
    const json::ObjectReader reader(object, QStringLiteral("row count"));
    ItemCountInfo out;
    out.count = reader.requiredInteger(QStringLiteral("count"));
    out.atEnd = reader.optionalBool(QStringLiteral("atEnd")).value_or(true);
    return out;
}

SoldScraper::SoldScraper(Sleeper &sleeper, QObject *parent) : QObject(parent), m_sleeper(sleeper) {}

SoldScraper::~SoldScraper() = default;

QCoro::Task<> SoldScraper::scrape(WhatnotSession &session, AuctionPoller &poller)
{
    QPointer<WhatnotSession> guarded(&session);
    PageScriptSource source = [guarded]() -> PageScriptHost * {
        return guarded ? &guarded->scriptHost() : nullptr;
    };
    AuctionPoller *target = &poller;
    co_await run(std::move(source), target);
}

QCoro::Task<> SoldScraper::scrape(PageScriptHost &host, AuctionPoller &poller)
{
    PageScriptSource source = fixedPageScriptSource(host);
    AuctionPoller *target = &poller;
    co_await run(std::move(source), target);
}

QCoro::Task<> SoldScraper::run(PageScriptSource source, AuctionPoller *pollerPointer)
{
    if (m_isScraping)
        co_return;
    setError(std::nullopt);
    setIsScraping(true);

    const QPointer<SoldScraper> self(this);
    const QPointer<AuctionPoller> poller(pollerPointer);
    Sleeper &sleeper = m_sleeper;
    std::optional<QString> failure;
    std::optional<QString> outcome; // the error text of a run that ended without a thrown failure
    try {
        QString scrollScript = PageScripts::scrollToShop();
        co_await runScript(source, std::move(scrollScript));
        co_await sleeper.sleep(500ms);

        QString tabScript = PageScripts::soldTab();
        const QJsonValue tabAnswer = co_await runScript(source, std::move(tabScript));
        const auto tab = decodeAnswer<SoldTabInfo>(tabAnswer, QStringLiteral("sold tab answer"));
        if (tab && !tab->clicked) {
            outcome = QStringLiteral("Could not find Sold tab");
        } else {
            const std::optional<qint64> expected = tab ? tab->expectedCount : std::nullopt;
            co_await sleeper.sleep(1s);

            qint64 lastCount = 0;
            int unchangedPasses = 0;
            bool capped = false;
            for (int pass = 1;; ++pass) {
                QString countScript = PageScripts::rowCount();
                const QJsonValue countAnswer = co_await runScript(source, std::move(countScript));
                const auto info = decodeAnswer<ItemCountInfo>(countAnswer, QStringLiteral("row count answer"));
                const qint64 count = info ? info->count : 0;
                // A list still short of its end keeps scrolling, spinner or not, and
                // only passes at the end count as passes without change: the pass
                // that reaches the end is the one whose pause lets the next batch in.
                const bool atEnd = info ? info->atEnd : true;
                if (count != lastCount) {
                    unchangedPasses = 0;
                    lastCount = count;
                } else if (atEnd) {
                    ++unchangedPasses;
                } else {
                    unchangedPasses = 0;
                }
                if (expected && count >= *expected)
                    break;
                co_await sleeper.sleep(1s);
                if (unchangedPasses > 2)
                    break;
                if (pass >= kMaxCountPasses) {
                    capped = true;
                    break;
                }
            }

            QString scrapeScript = PageScripts::soldScrape();
            const QJsonValue scrapeAnswer = co_await runScript(source, std::move(scrapeScript));
            if (!scrapeAnswer.isString()) {
                outcome = QStringLiteral("Sold scrape returned nil");
            } else if (!poller) {
                throw Error(QStringLiteral("The auction list is gone"));
            } else {
                poller->processScrapeJSON(scrapeAnswer.toString());
                if (capped) {
                    // The rows loaded so far are kept; the seller learns the list may be incomplete.
                    outcome = QStringLiteral("Sold tab kept loading: read %1 rows after %2 passes")
                                  .arg(lastCount)
                                  .arg(kMaxCountPasses);
                }
            }
        }
    } catch (const std::exception &e) {
        failure = errorMessage(e);
    }
    if (!self)
        co_return;
    if (failure) {
        qCCritical(lcSoldScraper, "Sold scrape error: %s", qUtf8Printable(*failure));
        outcome = QStringLiteral("Sold scrape failed: ") + *failure;
    }
    setError(std::move(outcome));
    setIsScraping(false);
}

void SoldScraper::setIsScraping(bool value)
{
    if (m_isScraping == value)
        return;
    m_isScraping = value;
    Q_EMIT isScrapingChanged(value);
}

void SoldScraper::setError(std::optional<QString> value)
{
    if (m_error == value)
        return;
    m_error = std::move(value);
    Q_EMIT errorChanged(m_error);
}

} // namespace quill
