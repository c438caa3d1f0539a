#pragma once

#include "backend/api_records.h"
#include "capture/captured_auction.h"
#include "capture/page_script_source.h"
#include "common/clock.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <chrono>
#include <optional>

namespace quill {

class WhatnotSession;

// Turns the live page into the list of won auctions: while polling is on it runs
// the win scan every 0.3 s and adds every auction it has not seen, newest first.
// Failed calls are retried after 1, 2 and 4 s; the fourth failure in a row stops
// polling. While the page is being recovered after its render process died, failed
// calls are retried every second without counting: the reload ends them. The sold-tab scrape and a resumed
// show's backend auctions are ingested by the same rules.
//
// A poll asks the page only for the notices new or changed since the answer the
// poller last took in whole (the answer's cursor), so a poll costs the same at
// the 2,000th win as at the 20th. The page answers every notice after a load or
// a crash, and the poller asks for every notice after a reset or an answer it did
// not take in whole; the seen keys keep those captures single.
//
// An auction is seen once per win: the de-duplication key is its id, built from the
// canonical price, so "$12.50" and "$12.5" of one win, or a restored backend auction
// and its notice still on the page, are one capture.
class AuctionPoller final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AuctionPoller)
    Q_PROPERTY(QList<quill::CapturedAuction> capturedAuctions READ capturedAuctions NOTIFY capturedAuctionsChanged)
    Q_PROPERTY(bool isPolling READ isPolling NOTIFY isPollingChanged)
    Q_PROPERTY(std::optional<QString> error READ error NOTIFY errorChanged)
    Q_PROPERTY(QString rawJSON READ rawJSON NOTIFY rawJSONChanged)
    Q_PROPERTY(QSet<QString> seenKeys READ seenKeys NOTIFY seenKeysChanged)

public:
    static constexpr std::chrono::milliseconds kPollInterval{300};
    static constexpr int kMaxRetries = 3;
    static constexpr std::chrono::milliseconds kRecoveryPollInterval{1000};

    explicit AuctionPoller(Sleeper &sleeper = TimerSleeper::instance(), Clock &clock = SystemClock::instance(),
                           QObject *parent = nullptr);
    ~AuctionPoller() override;

    // Page and sold-tab captures at the front (newest first), restored auctions at the end.
    const QList<CapturedAuction> &capturedAuctions() const { return m_capturedAuctions; }
    bool isPolling() const { return m_isPolling; }
    const std::optional<QString> &error() const { return m_error; }
    // The last answer read (win scan or sold scrape).
    const QString &rawJSON() const { return m_rawJSON; }
    const QSet<QString> &seenKeys() const { return m_seenKeys; }

    // The de-duplication key: equal to the id the auction gets.
    static std::optional<QString> keyOf(const QString &winnerUsername, const QString &salePriceText,
                                        std::optional<qint64> auctionNumber);

    // Flips polling. Switching on starts a loop at once (the page is looked up
    // through the session at every call); a loop left from before, still in its
    // call or pause, ends without touching anything, so one loop polls at a time.
    void togglePolling(WhatnotSession &session);
    void togglePolling(PageScriptHost &host);
    void togglePolling(PageScriptSource source, PageHealth health = {});

    // Stops polling and forgets every capture; an answer still on its way is dropped.
    void reset();

    // Ingests one win-scan answer; once all of it is taken in, its cursor is what
    // the next poll hands back.
    void processWinScanJSON(const QString &text);
    void ingest(const RawAuction &auction);
    // The sold-tab scrape's answer; stored in rawJSON even when it does not decode.
    void processScrapeJSON(const QString &text);
    // A resumed show's auctions, appended behind the captures newest first (by their
    // creation time; equal times in the order given).
    void ingest(const QList<ServerAuction> &serverAuctions);

    // Marks the first capture (from the front) with this id as printed; false when
    // there is none or it already was.
    bool markPrinted(const QString &auctionId);

Q_SIGNALS:
    void capturedAuctionsChanged();
    void isPollingChanged(bool isPolling);
    void errorChanged(const std::optional<QString> &error);
    void rawJSONChanged(const QString &rawJSON);
    void seenKeysChanged();

private:
    QCoro::Task<> pollLoop(PageScriptSource source, PageHealth health, quint64 generation);
    bool isCurrentLoop(quint64 generation) const { return generation == m_loopGeneration; }
    // Builds the capture when the price reads and the key is new; records the key.
    std::optional<CapturedAuction> admit(const QString &winnerUsername, const QString &salePriceText,
                                         std::optional<qint64> auctionNumber, std::optional<QString> rawTitle,
                                         std::optional<QString> avatarURL, qint64 repeat = 1);

    void setIsPolling(bool value);
    void setError(std::optional<QString> value);
    void setRawJSON(const QString &value);

    Sleeper &m_sleeper;
    Clock &m_clock;
    QList<CapturedAuction> m_capturedAuctions;
    bool m_isPolling = false;
    std::optional<QString> m_error;
    QString m_rawJSON;
    QSet<QString> m_seenKeys;
    // The cursor of the last win-scan answer taken in whole since the last reset.
    std::optional<QString> m_scanCursor;
    // Bumped when a loop starts and on reset: a loop whose number is not current
    // ends at its next step and changes nothing.
    quint64 m_loopGeneration = 0;
};

} // namespace quill
