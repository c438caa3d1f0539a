#pragma once

#include "capture/captured_auction.h"
#include "common/decimal.h"
#include "printing/label_content.h"
#include "printing/label_media.h"
#include "printing/orientation.h"
#include "printing/print_result.h"

#include <QCoroTask>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

namespace quill {

class AppState;

// The one-click prints of the Sold and Buyers rows: a winner label (Bold, 2×1 in,
// landscape) or a packing slip (Bold, 4×6, portrait) on the first listed printer,
// straight through the print service: no print job, no printed mark. A print that
// fails marks its row with the reason until that row prints again.
//
// Each print runs on by itself with copies of what it prints; it never reaches back
// into a row, and it touches this object only while it lives.
class LiveRowPrinter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveRowPrinter)

public:
    explicit LiveRowPrinter(AppState &app, QObject *parent = nullptr);

    AppState &app() const { return m_app; }
    // A printer is listed.
    bool canPrint() const;

    void printWinnerLabel(const CapturedAuction &auction);
    void printPackingSlip(const QString &buyer, const QList<CapturedAuction> &auctions,
                          const std::optional<Decimal> &total);

    // Why the row's last print failed; none when it did not.
    std::optional<QString> failure(const QString &rowKey) const;
    static QString auctionKey(const QString &auctionId);
    static QString buyerKey(const QString &buyer);

Q_SIGNALS:
    // A row's failure mark came or went.
    void failuresChanged();
    // A print of this row ended, with its own outcome.
    void printFinished(const QString &rowKey, const quill::PrintResult &result);

private:
    void print(const QString &rowKey, std::optional<LabelContent> content, LabelMedia media,
               Orientation orientation, const QString &noContentReason);
    static QCoro::Task<> run(QPointer<LiveRowPrinter> self, AppState &app, QString rowKey, QString printer,
                             LabelContent content, LabelMedia media, Orientation orientation);
    void finish(const QString &rowKey, const PrintResult &result);

    AppState &m_app;
    QHash<QString, QString> m_failures;
};

} // namespace quill
