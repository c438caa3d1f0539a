// The tray popover's and the Settings screen's own words go through Qt's translation;
// names, figures and values that come from the services are shown as they come.
#include "capture/auction_poller.h"
#include "labels_screen_fixture.h"
#include "print_jobs.h"
#include "printing/auto_print_manager.h"
#include "run_sync.h"
#include "backend/show_sync_service.h"
#include "ui/app/menu_bar_popover.h"
#include "ui/labels/settings_view.h"
#include "ui/widgets/capsule_badge.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>

using namespace quill;
using namespace quill::testing;

namespace {

// A translation that marks every text it is asked for.
class MarkingTranslator final : public QTranslator
{
public:
    QString translate(const char *, const char *source, const char *, int) const override
    {
        return QStringLiteral("\u00ab") + QString::fromUtf8(source) + QStringLiteral("\u00bb");
    }
    bool isEmpty() const override { return false; }
};

QString marked(const QString &text)
{
    return QStringLiteral("\u00ab") + text + QStringLiteral("\u00bb");
}

QStringList shownTexts(const QWidget &root)
{
    QStringList texts;
    for (const QLabel *label : root.findChildren<QLabel *>())
        if (label->isVisibleTo(&root) && !label->text().isEmpty())
            texts.append(label->text());
    return texts;
}

class TranslatedTexts : public LabelsFixture
{
protected:
    void SetUp() override
    {
        LabelsFixture::SetUp();
        QCoreApplication::installTranslator(&m_translator);
    }

    void TearDown() override
    {
        QCoreApplication::removeTranslator(&m_translator);
        LabelsFixture::TearDown();
    }

    AppState &signIn(const QString &email, const QString &name)
    {
        m_tokens.setItem(QStringLiteral("session_token"), m_backend.addUser(QStringLiteral("s1"), email, name));
        AppState &app = makeAppState(appSetup());
        startAndWait(app);
        return app;
    }

    MarkingTranslator m_translator;
};

TEST_F(TranslatedTexts, ThePopoverTranslatesItsWordsButNotItsFiguresPrinterOrMode)
{
    ASSERT_NO_FATAL_FAILURE(saveLabelPrinters(kOther));
    AppState &app = signIn(QStringLiteral("seller@example.com"), QStringLiteral("Ann"));
    app.autoPrintManager().setLabelMode(LabelMode::realtime);
    {
        // Offline, nothing captured.
        MenuBarPopover popover(app);
        popover.show();
        const QStringList texts = shownTexts(popover);
        EXPECT_TRUE(texts.contains(marked(QStringLiteral("Offline")))) << texts.join(u'|').toStdString();
        EXPECT_TRUE(texts.contains(marked(QStringLiteral("Start a show from the Live Show tab"))));
    }

    app.showSyncService().setActiveStreamId(QStringLiteral("stream-1"));
    auto started = app.showSyncService().startShow(QStringLiteral("Friday"), QStringLiteral("realtime"));
    ASSERT_TRUE(eventually([&] { return !app.showSyncService().activeShowId().isEmpty(); }));
    RawAuction raw;
    raw.winnerUsername = QStringLiteral("ann");
    raw.salePrice = QStringLiteral("12.5");
    raw.auctionNumber = 7;
    app.auctionPoller().ingest(raw);
    app.autoPrintManager().setPrintJobs(
        {printJob(PrintJob::Status::queued()), printJob(PrintJob::Status::queued())});

    MenuBarPopover popover(app);
    popover.show();
    const QStringList texts = shownTexts(popover);
    SCOPED_TRACE(texts.join(u'|').toStdString());
    for (const QString &word : {QStringLiteral("Live"), QStringLiteral("\u2014 1 captured"),
                                QStringLiteral("Recent Wins"), QStringLiteral("@ann"), QStringLiteral("$12.5"),
                                QStringLiteral("#7"), QStringLiteral("Auto-Print")})
        EXPECT_TRUE(texts.contains(marked(word))) << word.toStdString();
    // The figures' cells and the printer's name, as they are.
    for (const QString &verbatim : {QStringLiteral("$12.5"), QStringLiteral("1"), QStringLiteral("revenue"),
                                    QStringLiteral("item"), QStringLiteral("buyer"), QStringLiteral("Office Printer")})
        EXPECT_TRUE(texts.contains(verbatim)) << verbatim.toStdString();
    const auto *chip = popover.findChild<CapsuleBadge *>();
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->text(), QStringLiteral("Winner"));

    const auto *pending = popover.findChild<QAbstractButton *>(QStringLiteral("clearPrintQueue"));
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(pending->text(), marked(QStringLiteral("2 pending")));
    EXPECT_EQ(pending->toolTip(), marked(QStringLiteral("Clear print queue")));
    EXPECT_EQ(popover.findChild<QAbstractButton *>(QStringLiteral("showQuillmark"))->toolTip(),
              marked(QStringLiteral("Show Quillmark")));
    EXPECT_EQ(popover.findChild<QAbstractButton *>(QStringLiteral("quitQuillmark"))->text(),
              marked(QStringLiteral("Quit Quillmark")));

    app.auctionPoller().reset();
    EXPECT_TRUE(shownTexts(popover).contains(marked(QStringLiteral("Waiting for wins..."))));
}

TEST_F(TranslatedTexts, SettingsTranslatesHeadersRowsAndButtonsButNotNamesOrTheServer)
{
    m_cups.stop(kQueue);
    AppState &app = signIn(QStringLiteral("ops@quillmark.app"), QStringLiteral("Ann <b>Lee</b>"));
    runSync(app.printAdapter().refreshPrinters());
    SettingsView view(app, [] {});
    view.show();
    turn();

    EXPECT_EQ(view.sectionHeaders(),
              (QStringList{marked(QStringLiteral("Printer Health")), marked(QStringLiteral("Quillmark")),
                           marked(QStringLiteral("Whatnot")), marked(QStringLiteral("Environment"))}));
    const QStringList texts = shownTexts(view);
    SCOPED_TRACE(texts.join(u'|').toStdString());
    for (const QString &row : {QStringLiteral("Name"), QStringLiteral("Email"), QStringLiteral("Status"),
                               QStringLiteral("Server"), QStringLiteral("Mode"), QStringLiteral("Not Connected"),
                               QStringLiteral("Production")})
        EXPECT_TRUE(texts.contains(marked(row))) << row.toStdString();
    for (const char *button : {"Refresh", "Sign Out", "Connect to Whatnot"}) {
        const auto *found = view.findChild<QPushButton *>(QLatin1String(button));
        ASSERT_NE(found, nullptr) << button;
        EXPECT_EQ(found->text(), marked(QLatin1String(button)));
    }
    const auto *fix = view.findChild<QPushButton *>(QStringLiteral("fixButton"));
    ASSERT_NE(fix, nullptr);
    EXPECT_EQ(fix->text(), marked(QStringLiteral("Fix")));

    // The printers' names, the account and the server, as they are.
    QStringList names;
    for (const QLabel *label : view.findChildren<QLabel *>(QStringLiteral("printerName")))
        names.append(label->text());
    EXPECT_EQ(names, (QStringList{"TestLabel", "Office Printer"}));
    EXPECT_EQ(view.findChild<QLabel *>(QStringLiteral("Name"))->text(), QStringLiteral("Ann <b>Lee</b>"));
    EXPECT_EQ(view.findChild<QLabel *>(QStringLiteral("Email"))->text(), QStringLiteral("ops@quillmark.app"));
    EXPECT_EQ(view.findChild<QLabel *>(QStringLiteral("Server"))->text(), m_backend.baseUrl().toString());
}

} // namespace
