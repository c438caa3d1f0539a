#include "capture/bidder_tracker.h"

#include "capture/page_scripts.h"
#include "capture/whatnot_session.h"
#include "common/detached_task.h"
#include "common/error.h"
#include "common/logging.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QPointer>

#include <algorithm>

namespace quill {

namespace {

PageScriptSource sessionSource(WhatnotSession &session)
{
    QPointer<WhatnotSession> guarded(&session);
    return [guarded]() -> PageScriptHost * { return guarded ? &guarded->scriptHost() : nullptr; };
}

PageHealth sessionHealth(WhatnotSession &session)
{
    QPointer<WhatnotSession> guarded(&session);
    PageHealth health;
    health.isRecovering = [guarded] { return guarded && guarded->isRecovering(); };
    return health;
}

// A read answers `installed: false` when the page holds no recorder (it was loaded
// again); an answer without the field counts as installed.
bool recorderInstalled(const QString &answer)
{
    const QJsonDocument document = QJsonDocument::fromJson(answer.toUtf8());
    return !document.isObject() || document.object().value(QStringLiteral("installed")).toBool(true);
}

// The install answers `alreadyRunning: false` when it put a new recorder, with an empty
// store, in the page.
bool newRecorder(const QString &answer)
{
    const QJsonDocument document = QJsonDocument::fromJson(answer.toUtf8());
    return document.isObject() &&
           document.object().value(QStringLiteral("alreadyRunning")) == QJsonValue(false);
}

PageTime pageTimeOf(double milliseconds)
{
    const std::chrono::duration<double, std::milli> since(milliseconds);
    return PageTime(std::chrono::round<std::chrono::nanoseconds>(since));
}

} // namespace

BidderTracker::BidderTracker(Sleeper &sleeper, QObject *parent) : QObject(parent), m_sleeper(sleeper) {}

BidderTracker::~BidderTracker() = default;

QCoro::Task<> BidderTracker::start(WhatnotSession &session)
{
    PageScriptSource source = sessionSource(session);
    co_await install(std::move(source));
}

QCoro::Task<> BidderTracker::start(PageScriptHost &host)
{
    PageScriptSource source = fixedPageScriptSource(host);
    co_await install(std::move(source));
}

const QString BidderTracker::kReadFailedPrefix = QStringLiteral("Bidder poll failed: ");

const QString BidderTracker::kNotInstalledNotice =
    QStringLiteral("Bidders are not being counted yet: the live page is still loading. Quillmark keeps trying.");

QCoro::Task<> BidderTracker::install(PageScriptSource source)
{
    const QPointer<BidderTracker> self(this);
    const quint64 generation = m_resetGeneration;
    Sleeper &sleeper = m_sleeper;
    if (co_await installOnce(source))
        co_return;
    for (const std::chrono::milliseconds delay : kInstallRetryDelays) {
        if (!self || generation != m_resetGeneration)
            co_return;
        try {
            co_await sleeper.sleep(delay);
        } catch (...) {
            // An interrupted pause counts as finished.
        }
        if (!self || generation != m_resetGeneration)
            co_return;
        if (co_await installOnce(source))
            co_return;
    }
}

QCoro::Task<bool> BidderTracker::installOnce(PageScriptSource source)
{
    const QPointer<BidderTracker> self(this);
    const quint64 generation = m_resetGeneration;
    QJsonValue answer;
    std::optional<QString> failure;
    try {
        PageScriptHost &host = requirePageScriptHost(source);
        QString script = PageScripts::bidObserver();
        answer = co_await host.run(std::move(script));
    } catch (const std::exception &e) {
        failure = errorMessage(e);
    }
    // After a reset the answer belongs to a show that was let go.
    if (!self || generation != m_resetGeneration)
        co_return false;
    if (failure) {
        qCCritical(lcBidderTracker, "Failed to install bid observer: %s", qUtf8Printable(*failure));
        setError(kNotInstalledNotice);
        co_return false;
    }
    if (answer.isString()) {
        qCInfo(lcBidderTracker, "Bid observer installed: %s", qUtf8Printable(answer.toString()));
        // What was counted before this page's load is added to the new store's reads,
        // whoever installed it.
        if (newRecorder(answer.toString()))
            m_carried = m_capturedBidders;
    }
    if (m_error == kNotInstalledNotice)
        setError(std::nullopt);
    co_return true;
}

void BidderTracker::toggleTracking(WhatnotSession &session)
{
    toggleTracking(sessionSource(session), sessionHealth(session));
}

void BidderTracker::toggleTracking(PageScriptHost &host)
{
    toggleTracking(fixedPageScriptSource(host));
}

void BidderTracker::toggleTracking(PageScriptSource source, PageHealth health)
{
    setIsTracking(!m_isTracking);
    if (!m_isTracking)
        return;
    const quint64 generation = ++m_loopGeneration;
    // Runs on by itself; it ends when it sees tracking off.
    startDetached(readLoop(std::move(source), std::move(health), generation), lcBidderTracker(),
                  "Bidder read loop");
}

void BidderTracker::reset()
{
    ++m_loopGeneration;
    ++m_resetGeneration;
    m_carried.clear();
    setIsTracking(false);
    setCapturedBidders({});
    setError(std::nullopt);
}

QCoro::Task<> BidderTracker::readLoop(PageScriptSource source, PageHealth health, quint64 generation)
{
    const QPointer<BidderTracker> self(this);
    Sleeper &sleeper = m_sleeper;
    while (self && isCurrentLoop(generation) && m_isTracking) {
        QJsonValue answer;
        std::optional<QString> failure;
        try {
            PageScriptHost &host = requirePageScriptHost(source);
            QString script = PageScripts::bidderRead();
            answer = co_await host.run(std::move(script));
        } catch (const std::exception &e) {
            failure = errorMessage(e);
        }
        if (!self || !isCurrentLoop(generation))
            co_return;

        if (failure) {
            if (!health.isRecovering || !health.isRecovering()) {
                qCCritical(lcBidderTracker, "Bidder poll error: %s", qUtf8Printable(*failure));
                setError(kReadFailedPrefix + *failure);
                setIsTracking(false);
                co_return;
            }
            // The page is being reloaded after its renderer died: its scripts fail until it
            // is back, and the first read of the reloaded page puts the recorder back.
            qCInfo(lcBidderTracker, "Bidder read waits for the page's reload: %s", qUtf8Printable(*failure));
        } else {
            if (m_error && m_error->startsWith(kReadFailedPrefix))
                setError(std::nullopt); // the page answers again
            if (answer.isString() && !recorderInstalled(answer.toString())) {
                // The page was loaded again since the install: put the recorder back; the
                // bids seen before the reload are counted on top of the new page's store.
                qCInfo(lcBidderTracker, "The page has no bid observer: installing it again");
                co_await installOnce(source);
                if (!self || !isCurrentLoop(generation))
                    co_return;
            } else if (answer.isString()) {
                try {
                    processBidderJSON(answer.toString());
                } catch (const std::exception &e) {
                    // Not a page fault, but the loop must not die with tracking still on.
                    qCCritical(lcBidderTracker, "Bidder poll error: %s", qUtf8Printable(errorMessage(e)));
                    setError(kReadFailedPrefix + errorMessage(e));
                    setIsTracking(false);
                    co_return;
                }
            }
        }

        try {
            co_await sleeper.sleep(kReadInterval);
        } catch (...) {
            // An interrupted pause counts as finished.
        }
    }
}

void BidderTracker::processBidderJSON(const QString &text)
{
    BidderReadResponse response;
    try {
        response = BidderReadResponse::decode(text.toUtf8());
    } catch (const json::DecodeError &) {
        return;
    }
    QList<CapturedBidder> bidders;
    bidders.reserve(response.bidders.size());
    for (const RawBidder &raw : std::as_const(response.bidders)) {
        CapturedBidder bidder;
        bidder.id = raw.username;
        bidder.username = raw.username;
        bidder.bidCount = raw.bidCount;
        if (raw.highestBid)
            bidder.highestBid = Decimal::fromString(*raw.highestBid);
        bidder.avatarURL = raw.avatarURL;
        bidder.lastSeenAt = pageTimeOf(raw.lastSeenAt);
        bidders.append(std::move(bidder));
    }
    for (const CapturedBidder &before : std::as_const(m_carried)) {
        const auto same = std::find_if(bidders.begin(), bidders.end(), [&](const CapturedBidder &bidder) {
            return bidder.username == before.username;
        });
        if (same == bidders.end()) {
            bidders.append(before);
            continue;
        }
        same->bidCount += before.bidCount;
        if (before.highestBid && (!same->highestBid || *same->highestBid < *before.highestBid))
            same->highestBid = before.highestBid;
        if (!same->avatarURL)
            same->avatarURL = before.avatarURL;
        same->lastSeenAt = std::max(same->lastSeenAt, before.lastSeenAt);
    }
    std::stable_sort(bidders.begin(), bidders.end(),
                     [](const CapturedBidder &a, const CapturedBidder &b) { return a.bidCount > b.bidCount; });
    setCapturedBidders(std::move(bidders));
}

void BidderTracker::setCapturedBidders(QList<CapturedBidder> value)
{
    if (m_capturedBidders == value)
        return;
    m_capturedBidders = std::move(value);
    Q_EMIT capturedBiddersChanged();
}

void BidderTracker::setIsTracking(bool value)
{
    if (m_isTracking == value)
        return;
    m_isTracking = value;
    Q_EMIT isTrackingChanged(value);
}

void BidderTracker::setError(std::optional<QString> value)
{
    if (m_error == value)
        return;
    m_error = std::move(value);
    Q_EMIT errorChanged(m_error);
}

} // namespace quill
