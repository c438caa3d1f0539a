#pragma once

// Pieces the Shows screen's tests share: auctions and shows to order, a printer that
// records what it is handed (and can hold a print until the test lets it end), and
// a print adapter whose printer list the test chooses.
#include "backend/show_history_store.h"
#include "eventually.h"
#include "fake_process_runner.h"
#include "gate.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "run_sync.h"
#include "temporary_settings.h"
#include "ui/history/show_detail_model.h"
#include "ui/history/show_printer.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace quill::testing {

inline ServerAuction auction(const QString &id, const QString &winner, const QString &price,
                             std::optional<qint64> number = std::nullopt, std::optional<QString> title = std::nullopt,
                             const QString &createdAt = QString())
{
    ServerAuction a;
    a.id = id;
    a.winnerUsername = winner;
    a.salePrice = price;
    a.auctionNumber = number;
    a.rawTitle = std::move(title);
    a.createdAt = createdAt;
    return a;
}

// Created at minute `minute` of one morning.
inline QString minuteAt(int minute)
{
    return QStringLiteral("2026-01-15T10:%1:00Z").arg(minute, 2, 10, QLatin1Char('0'));
}

class RecordingShowPrinter final : public ShowPrinter
{
public:
    struct Job
    {
        QString printer;
        std::optional<LabelContent> winner;
        QString buyer;
        QList<GroupedItem> items;
        Decimal total;
        QString showTitle;
        LabelVariant style = LabelVariant::bold;
        LabelMedia media;
        Orientation orientation = Orientation::landscape;
    };

    QCoro::Task<PrintResult> printWinnerLabel(QString printer, LabelContent content, LabelVariant style,
                                              LabelMedia media, Orientation orientation) override
    {
        Job job;
        job.printer = printer;
        job.winner = content;
        job.style = style;
        job.media = media;
        job.orientation = orientation;
        co_return co_await finish(std::move(job));
    }

    QCoro::Task<PrintResult> printPackingSlip(QString printer, QString buyer, QList<GroupedItem> items,
                                              Decimal total, QString showTitle, LabelVariant style,
                                              LabelMedia media, Orientation orientation) override
    {
        Job job{printer, std::nullopt, buyer, items, total, showTitle, style, media, orientation};
        co_return co_await finish(std::move(job));
    }

    QList<Job> jobs;
    // Jobs (by 0-based order) that fail with this message.
    QHash<int, QString> failures;
    // While set, each job waits for it before it ends.
    Gate *gate = nullptr;
    // Runs when a job arrives, before it ends.
    std::function<void(int index)> onJob;
    int running = 0;

private:
    QCoro::Task<PrintResult> finish(Job job)
    {
        const int index = int(jobs.size());
        jobs.append(std::move(job));
        ++running;
        if (onJob)
            onJob(index);
        if (gate)
            co_await gate->wait();
        --running;
        if (failures.contains(index))
            co_return PrintResult::failed(failures.value(index));
        co_return PrintResult::succeeded();
    }
};

// A printer list the test sets: a catalog of named queues, CUPS tools that answer nothing.
class NamedCatalog final : public printkit::PrinterQuerying
{
public:
    QCoro::Task<QList<printkit::PrinterDescriptor>> availablePrinters() override
    {
        QList<printkit::PrinterDescriptor> out;
        for (const QString &name : std::as_const(names))
            out.append(printkit::PrinterDescriptor{printkit::PrinterID{name}, name, false});
        co_return out;
    }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> defaultPrinter() override { co_return std::nullopt; }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> preferredPrinter(QStringList) override
    {
        co_return std::nullopt;
    }
    QStringList names;
};

class HistoryFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_runner.setResponder([](const ProcessRequest &) { return FakeProcessRunner::finished(QString()); });
        PrintKitAdapterSetup setup;
        setup.runner = &m_runner;
        setup.catalog = m_catalog;
        m_adapter = std::make_unique<PrintKitAdapter>(std::move(setup));
    }

    void setPrinters(const QStringList &names)
    {
        m_catalog->names = names;
        runSync(m_adapter->refreshPrinters());
    }

    ShowDetailServices services()
    {
        return ShowDetailServices{.store = m_store,
                                  .printAdapter = *m_adapter,
                                  .settings = *m_settings,
                                  .printer = m_printer,
                                  .isStaff = [this] { return m_staff; },
                                  .runOwner = &m_runOwner,
                                  .appearance = *m_appearance,
                                  .locale = QLocale::c(),
                                  .zone = QTimeZone::utc()};
    }

    static ShowSummary summary(const QString &status = QStringLiteral("completed"))
    {
        ShowSummary s;
        s.id = QStringLiteral("show-1");
        s.title = QStringLiteral("Ann is live - Cards - Friday night");
        s.status = status;
        s.createdAt = QStringLiteral("2026-01-15T10:00:00Z");
        s.startedAt = QStringLiteral("2026-01-15T10:00:00Z");
        s.endedAt = QStringLiteral("2026-01-15T12:05:00Z");
        return s;
    }

    static ShowAuctionsResponse response(QList<ServerAuction> auctions, qint64 count, const QString &revenue,
                                         qint64 buyers)
    {
        ShowAuctionsResponse r;
        r.auctions = std::move(auctions);
        r.stats.auctionCount = count;
        r.stats.revenue = revenue;
        r.stats.uniqueBuyers = buyers;
        return r;
    }

    TemporarySettings m_settings;
    std::unique_ptr<LabelAppearanceStore> m_appearance =
        std::make_unique<LabelAppearanceStore>(*m_settings, QString());
    FakeProcessRunner m_runner;
    std::shared_ptr<NamedCatalog> m_catalog = std::make_shared<NamedCatalog>();
    std::unique_ptr<PrintKitAdapter> m_adapter;
    ShowHistoryStore m_store;
    std::shared_ptr<RecordingShowPrinter> m_printer = std::make_shared<RecordingShowPrinter>();
    QObject m_runOwner;
    bool m_staff = false;
};

} // namespace quill::testing
