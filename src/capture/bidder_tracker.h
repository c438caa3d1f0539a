#pragma once

#include "capture/captured_bidder.h"
#include "capture/page_script_source.h"
#include "common/clock.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace quill {

class WhatnotSession;

// Shows who is bidding. `start` installs a bid recorder in the live page that counts
// bid notices per user in a page-side store; while tracking is on, the store is read
// every 3 s into `capturedBidders`, highest bid count first. The page does the
// counting; this side only mirrors the store.
//
// A page that is still loading has no body to watch, and a reloaded page has lost
// its recorder: the install is tried again after a pause, and a read that finds
// no recorder installs it again, so the list keeps filling across reloads. The
// seller sees a sentence while the recorder is missing; the page's own error
// text goes to the log.
//
// A read that fails while the page is being reloaded after its render process
// died does not end tracking: the loop waits for the page and goes on with the
// counts it had. A read that fails on a healthy page ends tracking with an error,
// which goes once a later read succeeds.
class BidderTracker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BidderTracker)
    Q_PROPERTY(QList<quill::CapturedBidder> capturedBidders READ capturedBidders NOTIFY capturedBiddersChanged)
    Q_PROPERTY(bool isTracking READ isTracking NOTIFY isTrackingChanged)
    Q_PROPERTY(std::optional<QString> error READ error NOTIFY errorChanged)

public:
    static constexpr std::chrono::milliseconds kReadInterval{3000};
    // Pauses before each further install attempt of `start`.
    static constexpr std::chrono::milliseconds kInstallRetryDelays[] = {
        std::chrono::milliseconds(500), std::chrono::milliseconds(1000), std::chrono::milliseconds(2000),
        std::chrono::milliseconds(4000)};
    static const QString kNotInstalledNotice;
    // What a failed read's error starts with.
    static const QString kReadFailedPrefix;

    explicit BidderTracker(Sleeper &sleeper = TimerSleeper::instance(), QObject *parent = nullptr);
    ~BidderTracker() override;

    const QList<CapturedBidder> &capturedBidders() const { return m_capturedBidders; }
    bool isTracking() const { return m_isTracking; }
    const std::optional<QString> &error() const { return m_error; }

    // Installs the bid recorder once per page load, trying again after each pause of
    // `kInstallRetryDelays` while it fails; never throws (a failure lands in `error`,
    // and a running read loop keeps trying).
    QCoro::Task<> start(WhatnotSession &session);
    QCoro::Task<> start(PageScriptHost &host);

    // Flips tracking. Switching on starts a read loop at once; a loop left from
    // before ends at its next step without touching anything.
    void toggleTracking(WhatnotSession &session);
    void toggleTracking(PageScriptHost &host);
    void toggleTracking(PageScriptSource source, PageHealth health = {});

    // Stops tracking and empties the list; the page's store stays. A read still on
    // its way is dropped.
    void reset();

    void processBidderJSON(const QString &text);

Q_SIGNALS:
    void capturedBiddersChanged();
    void isTrackingChanged(bool isTracking);
    void errorChanged(const std::optional<QString> &error);

private:
    QCoro::Task<> install(PageScriptSource source);
    // One attempt; answers whether the recorder runs in the page now.
    QCoro::Task<bool> installOnce(PageScriptSource source);
    QCoro::Task<> readLoop(PageScriptSource source, PageHealth health, quint64 generation);
    bool isCurrentLoop(quint64 generation) const { return generation == m_loopGeneration; }

    void setCapturedBidders(QList<CapturedBidder> value);
    void setIsTracking(bool value);
    void setError(std::optional<QString> value);

    Sleeper &m_sleeper;
    QList<CapturedBidder> m_capturedBidders;
    // The list as it stood when the page was last reloaded; added to every read since.
    QList<CapturedBidder> m_carried;
    bool m_isTracking = false;
    std::optional<QString> m_error;
    quint64 m_loopGeneration = 0;
    quint64 m_resetGeneration = 0;
};

} // namespace quill
