#pragma once

// The application's services as the product builds them, signed in to the stand-in
// backend, with the printers the test names and CUPS tools that answer from a script:
// every lp run is kept with the file it printed, and the test may fail chosen runs.
#include "app/app_state.h"
#include "capture/auction_poller.h"
#include "fake_process_runner.h"
#include "named_printers.h"
#include "printing/print_kit_adapter.h"
#include "run_sync.h"
#include "shell_fixture.h"

#include <QFile>
#include <QImage>
#include <QSet>

namespace quill::testing {

class ListsFixture : public ShellFixture
{
protected:
    static inline const QString kLp = QStringLiteral("/fake/lp");
    static inline const QString kLpstat = QStringLiteral("/fake/lpstat");

    struct Submission
    {
        QString queue;
        QStringList arguments;
        QByteArray file;
    };

    AppSetup listsSetup()
    {
        AppSetup s = setup();
        s.printerCatalog = m_printers;
        s.processRunner = &m_runner;
        s.cupsTools.lp = kLp;
        s.cupsTools.lpstat = kLpstat;
        s.cupsTools.ppdDirectory = m_home.filePath(QStringLiteral("ppd"));
        s.cupsTools.cancel = QStringLiteral("/fake/cancel");
        s.cupsTools.cupsenable = QStringLiteral("/fake/cupsenable");
        return s;
    }

    // Started and signed in, with these printers listed.
    AppState &startWithPrinters(const QStringList &printers)
    {
        m_runner.setResponder([this](const ProcessRequest &request) {
            // CUPS lists exactly the named printers as its destinations.
            if (request.program == kLpstat && request.arguments == QStringList{QStringLiteral("-e")})
                return FakeProcessRunner::finished(m_printers->names.join(QLatin1Char('\n')) +
                                                   QLatin1Char('\n'));
            if (request.program != kLp)
                return FakeProcessRunner::finished(QString());
            Submission submission{request.arguments.value(1), request.arguments, {}};
            QFile file(request.arguments.last());
            if (file.open(QIODevice::ReadOnly))
                submission.file = file.readAll();
            m_submissions.append(submission);
            if (m_failingRuns.contains(int(m_submissions.size())))
                return FakeProcessRunner::finished(QStringLiteral("lp: The printer is out of labels."), 1);
            return FakeProcessRunner::finished(QStringLiteral("request id is %1-%2 (1 file(s))")
                                                   .arg(submission.queue)
                                                   .arg(m_submissions.size()));
        });
        m_printers->names = printers;
        storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
        AppState &app = makeAppState(listsSetup());
        startAndWait(app);
        runSync(app.printAdapter().refreshPrinters());
        return app;
    }

    static void win(AppState &app, const QString &winner, const QString &price, std::optional<qint64> number,
                    std::optional<QString> title = std::nullopt)
    {
        RawAuction raw;
        raw.winnerUsername = winner;
        raw.salePrice = price;
        raw.auctionNumber = number;
        raw.rawTitle = std::move(title);
        app.auctionPoller().ingest(raw);
    }

    static QImage decode(const Submission &submission)
    {
        QImage image;
        image.loadFromData(submission.file, "PNG");
        return image;
    }

    std::shared_ptr<NamedPrinters> m_printers = std::make_shared<NamedPrinters>();
    FakeProcessRunner m_runner;
    QList<Submission> m_submissions;
    QSet<int> m_failingRuns; // 1-based lp runs that fail
};

} // namespace quill::testing
