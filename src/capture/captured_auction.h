#pragma once

// What the capture readers take out of the marketplace's live page: won auctions,
// and the page scripts' answers they are decoded from. Values only; they live in
// memory and are never encoded.

#include "common/decimal.h"

#include <QByteArray>
#include <QDateTime>
#include <QHashFunctions>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace quill {

// One won auction. Identity for lists and selection is `id` alone; equality and
// hashing take every field, so the same win printed and unprinted are different values.
struct CapturedAuction
{
    QString id;
    QString winnerUsername;
    Decimal salePrice;
    std::optional<qint64> auctionNumber;
    std::optional<QString> rawTitle;
    std::optional<QString> avatarURL; // never set for auctions restored from the backend
    QDateTime capturedAt;
    bool isPrinted = false;

    // "<user>-<canonical price>-<number or 0>", e.g. ann-12.5-7 for ann at 12.50 in #7;
    // a later win that reads the same ("repeat" 2 and on) adds "-<repeat>": ann-12.5-0-2.
    static QString makeId(const QString &winnerUsername, const Decimal &salePrice,
                          std::optional<qint64> auctionNumber, qint64 repeat = 1);

    bool operator==(const CapturedAuction &) const = default;
};

size_t qHash(const CapturedAuction &auction, size_t seed = 0) noexcept;

// One auction as a page script reports it; `salePrice` is plain decimal text.
struct RawAuction
{
    QString winnerUsername;
    QString salePrice;
    std::optional<qint64> auctionNumber;
    std::optional<QString> rawTitle;
    std::optional<QString> avatarURL;
    // The win scan's count of wins that read the same (no auction number, same buyer
    // and price) when this is the second or a later one; absent for the first.
    std::optional<qint64> repeat = std::nullopt;

    static RawAuction fromJson(const QJsonObject &object);
    bool operator==(const RawAuction &) const = default;
};

// The win scan's answer: every notice on the page, or, when the scan was handed the
// cursor of the page's last answer, only the notices new or changed since then.
// Decoding is all or nothing (json::DecodeError).
struct WinScanResponse
{
    QString url;
    qint64 count = 0;
    QList<RawAuction> results;
    // Names this answer; handed back at the next scan, it asks for only what changed since.
    std::optional<QString> cursor;

    static WinScanResponse fromJson(const QJsonObject &object);
    static WinScanResponse decode(const QByteArray &utf8);
};

// The sold-tab scrape's answer.
struct ScrapeResponse
{
    QString url;
    qint64 count = 0;
    QList<RawAuction> auctions;

    static ScrapeResponse fromJson(const QJsonObject &object);
    static ScrapeResponse decode(const QByteArray &utf8);
};

} // namespace quill
