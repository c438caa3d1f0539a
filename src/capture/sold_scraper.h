#pragma once

#include "capture/page_script_source.h"
#include "common/clock.h"

#include <QCoroTask>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace quill {

class AuctionPoller;
class WhatnotSession;

// The Sold tab script's answer.
struct SoldTabInfo
{
    bool clicked = false;
    std::optional<qint64> expectedCount;

    static SoldTabInfo fromJson(const QJsonObject &object);
};

// The row-count script's answer: the number of Sold rows read so far, and whether
// the list's scroll box has reached its end (a list the page itself scrolls
// always has; an answer without the field is taken as at the end).
struct ItemCountInfo
{
    qint64 count = 0;
    bool atEnd = true;

    static ItemCountInfo fromJson(const QJsonObject &object);
};

// Reads the whole Sold tab on demand: scrolls to the shop, opens the Sold tab,
// scrolls its rows in until their number reaches the tab's count, or stops growing
// with the list's scroll box at its end,
// then scrapes every row and hands the answer to the auction poller.
class SoldScraper final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoldScraper)
    Q_PROPERTY(bool isScraping READ isScraping NOTIFY isScrapingChanged)
    Q_PROPERTY(std::optional<QString> error READ error NOTIFY errorChanged)

public:
    // A page that keeps adding rows must not keep the scrape going forever.
    static constexpr int kMaxCountPasses = 300;

    explicit SoldScraper(Sleeper &sleeper = TimerSleeper::instance(), QObject *parent = nullptr);
    ~SoldScraper() override;

    bool isScraping() const { return m_isScraping; }
    const std::optional<QString> &error() const { return m_error; }

    // Never throws; on return `isScraping` is false and `error` says what failed, if anything.
    // A call while a scrape runs returns at once.
    QCoro::Task<> scrape(WhatnotSession &session, AuctionPoller &poller);
    QCoro::Task<> scrape(PageScriptHost &host, AuctionPoller &poller);

Q_SIGNALS:
    void isScrapingChanged(bool isScraping);
    void errorChanged(const std::optional<QString> &error);

private:
    QCoro::Task<> run(PageScriptSource source, AuctionPoller *poller);

    void setIsScraping(bool value);
    void setError(std::optional<QString> value);

    Sleeper &m_sleeper;
    bool m_isScraping = false;
    std::optional<QString> m_error;
};

} // namespace quill
