#include "capture/auction_poller.h"

#include "backend/first_win_order.h"
#include "capture/page_scripts.h"
#include "capture/whatnot_session.h"
#include "common/detached_task.h"
#include "common/error.h"
#include "common/logging.h"

#include <QJsonValue>
#include <QPointer>

namespace quill {

AuctionPoller::AuctionPoller(Sleeper &sleeper, Clock &clock, QObject *parent)
    : QObject(parent), m_sleeper(sleeper), m_clock(clock)
{
}

AuctionPoller::~AuctionPoller() = default;

std::optional<QString> AuctionPoller::keyOf(const QString &winnerUsername, const QString &salePriceText,
                                            std::optional<qint64> auctionNumber)
{
    const auto price = Decimal::fromString(salePriceText);
    if (!price)
        return std::nullopt;
    return CapturedAuction::makeId(winnerUsername, *price, auctionNumber);
}

void AuctionPoller::togglePolling(WhatnotSession &session)
{
    QPointer<WhatnotSession> guarded(&session);
    PageHealth health;
    health.isRecovering = [guarded] { return guarded && guarded->isRecovering(); };
    health.answered = [guarded] {
        if (guarded)
            guarded->pageAnswered();
    };
    togglePolling(PageScriptSource(
                      [guarded]() -> PageScriptHost * { return guarded ? &guarded->scriptHost() : nullptr; }),
                  std::move(health));
}

void AuctionPoller::togglePolling(PageScriptHost &host)
{
    togglePolling(fixedPageScriptSource(host));
}

void AuctionPoller::togglePolling(PageScriptSource source, PageHealth health)
{
    setIsPolling(!m_isPolling);
    if (!m_isPolling)
        return;
    const quint64 generation = ++m_loopGeneration;
    // Runs on by itself; it ends when it sees polling off.
    startDetached(pollLoop(std::move(source), std::move(health), generation), lcAuctionPoller(), "Poll loop");
}

void AuctionPoller::reset()
{
    ++m_loopGeneration;
    setIsPolling(false);
    if (!m_capturedAuctions.isEmpty()) {
        m_capturedAuctions.clear();
        Q_EMIT capturedAuctionsChanged();
    }
    if (!m_seenKeys.isEmpty()) {
        m_seenKeys.clear();
        Q_EMIT seenKeysChanged();
    }
    m_scanCursor.reset(); // the captures are gone: the next poll asks for every notice
    setError(std::nullopt);
    setRawJSON(QString());
}

QCoro::Task<> AuctionPoller::pollLoop(PageScriptSource source, PageHealth health, quint64 generation)
{
    const QPointer<AuctionPoller> self(this);
    Sleeper &sleeper = m_sleeper;
    long failures = 0;
    while (self && isCurrentLoop(generation) && m_isPolling) {
        QJsonValue answer;
        std::optional<QString> failure;
        const bool sinceCursor = m_scanCursor.has_value();
        try {
            PageScriptHost &host = requirePageScriptHost(source);
            QString script = sinceCursor ? PageScripts::winScan(*m_scanCursor) : PageScripts::winScan();
            answer = co_await host.run(std::move(script));
        } catch (const std::exception &e) {
            failure = errorMessage(e);
        }
        if (!self || !isCurrentLoop(generation))
            co_return;
        if (!failure && sinceCursor && answer.isNull()) {
            // The page was loaded anew and has no scan yet: scan it whole at once.
            m_scanCursor.reset();
            continue;
        }
        if (!failure && answer.isString()) {
            // Whatever a listener of the new captures throws must not end the loop
            // while it still says it polls.
            try {
                const QString text = answer.toString();
                setRawJSON(text);
                processWinScanJSON(text);
            } catch (const std::exception &e) {
                failure = errorMessage(e);
            }
            if (!self || !isCurrentLoop(generation))
                co_return;
        }

        std::chrono::milliseconds pause = kPollInterval;
        if (failure && health.isRecovering && health.isRecovering()) {
            // The page is being reloaded: its scripts fail until it is back, and
            // the reloaded page starts with a clean count.
            qCInfo(lcAuctionPoller, "Poll waits for the page's reload: %s", qUtf8Printable(*failure));
            failures = 0;
            pause = kRecoveryPollInterval;
        } else if (failure) {
            ++failures;
            qCCritical(lcAuctionPoller, "Poll error (%ld/%ld): %s", failures, static_cast<long>(kMaxRetries),
                       qUtf8Printable(*failure));
            if (failures > kMaxRetries) {
                setError(QStringLiteral("Poll failed after %1 retries").arg(kMaxRetries));
                setIsPolling(false);
                co_return;
            }
            pause = std::chrono::seconds(1LL << (failures - 1));
        } else {
            if (health.answered)
                health.answered();
            if (failures > 0) {
                qCInfo(lcAuctionPoller, "Poll recovered after %ld error(s)", failures);
                setError(std::nullopt);
            }
            failures = 0;
        }

        try {
            co_await sleeper.sleep(pause);
        } catch (...) {
            // An interrupted pause counts as finished.
        }
    }
}

void AuctionPoller::processWinScanJSON(const QString &text)
{
    // Until this answer is taken in whole, the next poll asks for every notice: an
    // answer that did not decode, or whose ingest a listener broke off, may hold
    // wins that a later answer relative to it would leave out.
    m_scanCursor.reset();
    const quint64 generation = m_loopGeneration;
    WinScanResponse response;
    try {
        response = WinScanResponse::decode(text.toUtf8());
    } catch (const json::DecodeError &) {
        return;
    }
    for (const RawAuction &auction : std::as_const(response.results))
        ingest(auction);
    if (generation == m_loopGeneration) // not reset by a listener meanwhile
        m_scanCursor = std::move(response.cursor);
}

void AuctionPoller::processScrapeJSON(const QString &text)
{
    setRawJSON(text);
    ScrapeResponse response;
    try {
        response = ScrapeResponse::decode(text.toUtf8());
    } catch (const json::DecodeError &) {
        return;
    }
    for (const RawAuction &auction : std::as_const(response.auctions))
        ingest(auction);
}

std::optional<CapturedAuction> AuctionPoller::admit(const QString &winnerUsername, const QString &salePriceText,
                                                    std::optional<qint64> auctionNumber,
                                                    std::optional<QString> rawTitle,
                                                    std::optional<QString> avatarURL, qint64 repeat)
{
    const auto price = Decimal::fromString(salePriceText);
    if (!price)
        return std::nullopt; // not remembered: a later answer may bring it readable
    QString id = CapturedAuction::makeId(winnerUsername, *price, auctionNumber, repeat);
    if (m_seenKeys.contains(id))
        return std::nullopt;
    m_seenKeys.insert(id);
    Q_EMIT seenKeysChanged();

    CapturedAuction auction;
    auction.id = std::move(id);
    auction.winnerUsername = winnerUsername;
    auction.salePrice = *price;
    auction.auctionNumber = auctionNumber;
    auction.rawTitle = std::move(rawTitle);
    auction.avatarURL = std::move(avatarURL);
    auction.capturedAt = m_clock.now();
    auction.isPrinted = false;
    return auction;
}

void AuctionPoller::ingest(const RawAuction &raw)
{
    // Only a win without a number can repeat the reading of another.
    const qint64 repeat = raw.auctionNumber ? 1 : raw.repeat.value_or(1);
    auto auction =
        admit(raw.winnerUsername, raw.salePrice, raw.auctionNumber, raw.rawTitle, raw.avatarURL, repeat);
    if (!auction)
        return;
    m_capturedAuctions.prepend(std::move(*auction));
    Q_EMIT capturedAuctionsChanged();
}

void AuctionPoller::ingest(const QList<ServerAuction> &serverAuctions)
{
    // Newest first, as the page's captures before them: whatever lists the front of
    // the captured list shows the latest wins, whatever order the backend answered in.
    bool added = false;
    for (const qsizetype index : newestFirstOrder(serverAuctions)) {
        const ServerAuction &server = serverAuctions.at(index);
        auto auction = admit(server.winnerUsername, server.salePrice, server.auctionNumber, server.rawTitle,
                             std::nullopt);
        if (!auction)
            continue;
        m_capturedAuctions.append(std::move(*auction));
        added = true;
    }
    if (added)
        Q_EMIT capturedAuctionsChanged();
}

bool AuctionPoller::markPrinted(const QString &auctionId)
{
    for (CapturedAuction &auction : m_capturedAuctions) {
        if (auction.id != auctionId)
            continue;
        if (auction.isPrinted)
            return false;
        auction.isPrinted = true;
        Q_EMIT capturedAuctionsChanged();
        return true;
    }
    return false;
}

void AuctionPoller::setIsPolling(bool value)
{
    if (m_isPolling == value)
        return;
    m_isPolling = value;
    Q_EMIT isPollingChanged(value);
}

void AuctionPoller::setError(std::optional<QString> value)
{
    if (m_error == value)
        return;
    m_error = std::move(value);
    Q_EMIT errorChanged(m_error);
}

void AuctionPoller::setRawJSON(const QString &value)
{
    if (m_rawJSON == value)
        return;
    m_rawJSON = value;
    Q_EMIT rawJSONChanged(m_rawJSON);
}

} // namespace quill
