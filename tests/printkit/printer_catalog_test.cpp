#include "run_sync.h"
#include "fake_process_runner.h"
#include "printkit/discovery/cups_printer_name_source.h"
#include "printkit/discovery/printer_catalog.h"

#include <QCoroTask>
#include <QPrinterInfo>
#include <gtest/gtest.h>
#include <memory>

using namespace printkit;
using quill::ProcessRequest;
using quill::ProcessResult;
using quill::testing::FakeProcessRunner;

namespace {

const QString kOfficeLaser = QStringLiteral("Office Laser");
const QString kLabel10 = QStringLiteral("label 10");
const QString kLabel9 = QStringLiteral("Label 9");
const QString kThermalA = QStringLiteral("Thermal A");
const QStringList kSystemNames{kOfficeLaser, kLabel10, kLabel9, kThermalA};

// Names as the system lists them, changeable between calls.
class FakeNameSource final : public PrinterNameSource
{
public:
    QStringList names;
    QString defaultName;
    QStringList reads; // "default" / "names", in call order

    QCoro::Task<QStringList> printerNames() override
    {
        reads.append(QStringLiteral("names"));
        // An explicit copy: g++ 12 moves a plain member out in co_return.
        co_return QStringList(names);
    }
    QCoro::Task<QString> defaultPrinterName() override
    {
        reads.append(QStringLiteral("default"));
        co_return QString(defaultName);
    }
};

struct CatalogWithFakeSource
{
    FakeNameSource *source;
    std::unique_ptr<PrinterCatalog> catalog;
};

CatalogWithFakeSource makeCatalog(QStringList names, QString defaultName)
{
    auto source = std::make_unique<FakeNameSource>();
    source->names = std::move(names);
    source->defaultName = std::move(defaultName);
    FakeNameSource *raw = source.get();
    return {raw, std::make_unique<PrinterCatalog>(std::move(source))};
}

// "Name" for a printer, "Name*" for the default one.
QStringList render(const QList<PrinterDescriptor> &printers)
{
    QStringList out;
    for (const PrinterDescriptor &p : printers) {
        EXPECT_EQ(p.id.rawValue, p.name);
        out.append(p.isDefault ? p.name + QLatin1Char('*') : p.name);
    }
    return out;
}

QString render(const std::optional<PrinterDescriptor> &printer)
{
    return printer ? render(QList<PrinterDescriptor>{*printer}).constFirst() : QStringLiteral("<none>");
}

std::string str(const QStringList &list)
{
    return list.join(QStringLiteral(" | ")).toStdString();
}

// Collects the toolkit's warnings so a test can see that a failure was not silent.
class WarningCapture
{
public:
    WarningCapture()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&WarningCapture::handle);
    }
    ~WarningCapture() { qInstallMessageHandler(m_previous); }
    static const QStringList &messages() { return s_messages; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg && qstrcmp(context.category, "app.quillmark.Quillmark.PrintKit") == 0)
            s_messages.append(message);
    }
    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

CUPSTools toolsAt(const QString &lpstat)
{
    CUPSTools tools;
    tools.lpstat = lpstat;
    tools.timeout = std::chrono::milliseconds(1234);
    return tools;
}

// Answers lpstat -e and lpstat -d from two recorded results.
void answerLpstat(FakeProcessRunner &runner, ProcessResult destinations, ProcessResult defaultDestination)
{
    runner.setResponder([=](const ProcessRequest &request) {
        if (request.arguments == QStringList{QStringLiteral("-e")})
            return destinations;
        if (request.arguments == QStringList{QStringLiteral("-d")})
            return defaultDestination;
        return FakeProcessRunner::failedToStart(QStringLiteral("unexpected arguments"));
    });
}

} // namespace

// --- order -----------------------------------------------------------------------------------

TEST(PrinterCatalog, OrdersDefaultFirstThenByNameIgnoringCaseAndComparingNumbers)
{
    struct Row
    {
        const char *what;
        QStringList names;
        QString defaultName;
        QStringList expected;
    };
    const Row rows[] = {
        {"default in the list",
         kSystemNames,
         kThermalA,
         {"Thermal A*", "Label 9", "label 10", "Office Laser"}},
        {"default not in the list",
         kSystemNames,
         QStringLiteral("Gone"),
         {"Label 9", "label 10", "Office Laser", "Thermal A"}},
        {"no default", kSystemNames, QString(), {"Label 9", "label 10", "Office Laser", "Thermal A"}},
        {"default compared without case folding",
         kSystemNames,
         QStringLiteral("thermal a"),
         {"Label 9", "label 10", "Office Laser", "Thermal A"}},
        {"default compared without trimming",
         kSystemNames,
         QStringLiteral("Thermal A "),
         {"Label 9", "label 10", "Office Laser", "Thermal A"}},
        {"names differing only in case",
         {QStringLiteral("THERMAL A"), kThermalA},
         kThermalA,
         {"Thermal A*", "THERMAL A"}},
        {"equal keys keep the system order",
         {QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("a")},
         QString(),
         {"a", "b", "B"}},
        {"equal keys keep the system order, reversed",
         {QStringLiteral("B"), QStringLiteral("b"), QStringLiteral("a")},
         QString(),
         {"a", "B", "b"}},
        {"digit runs by value",
         {QStringLiteral("Label 10"), QStringLiteral("Label 2"), QStringLiteral("Label 1")},
         QString(),
         {"Label 1", "Label 2", "Label 10"}},
        {"duplicates each marked",
         {QStringLiteral("Z"), QStringLiteral("A"), QStringLiteral("Z")},
         QStringLiteral("Z"),
         {"Z*", "Z*", "A"}},
        {"canonically equivalent default",
         {QStringLiteral("Caf\u00e9"), QStringLiteral("Bar")},
         QStringLiteral("Cafe\u0301"),
         {"Caf\u00e9*", "Bar"}},
        {"no printers", {}, kThermalA, {}},
    };
    for (const Row &row : rows) {
        auto [source, catalog] = makeCatalog(row.names, row.defaultName);
        const QStringList order = render(quill::testing::runSync(catalog->availablePrinters()));
        EXPECT_EQ(order, row.expected) << row.what << ": " << str(order);
    }
}

TEST(PrinterCatalog, DefaultPrinterIsTheMarkedOneOrNone)
{
    struct Row
    {
        QStringList names;
        QString defaultName;
        const char *expected;
    };
    const Row rows[] = {
        {kSystemNames, kThermalA, "Thermal A*"},
        {kSystemNames, QStringLiteral("Gone"), "<none>"},
        {kSystemNames, QString(), "<none>"},
        {{}, kThermalA, "<none>"},
    };
    for (const Row &row : rows) {
        auto [source, catalog] = makeCatalog(row.names, row.defaultName);
        EXPECT_EQ(render(quill::testing::runSync(catalog->defaultPrinter())).toStdString(), row.expected);
    }
}

TEST(PrinterCatalog, PreferredPrinterMatchesKeywordsInCatalogOrder)
{
    struct Row
    {
        const char *what;
        QString defaultName;
        QStringList keywords;
        const char *expected;
    };
    const Row rows[] = {
        {"upper-cased on both sides", kThermalA, {QStringLiteral("therm")}, "Thermal A*"},
        {"catalog order wins over keyword order",
         kThermalA,
         {QStringLiteral("laser"), QStringLiteral("thermal")},
         "Thermal A*"},
        {"without a default the first match by name",
         QString(),
         {QStringLiteral("laser"), QStringLiteral("thermal")},
         "Office Laser"},
        {"first of several matches", kThermalA, {QStringLiteral("LABEL")}, "Label 9"},
        {"substring inside a word", kThermalA, {QStringLiteral("ffice")}, "Office Laser"},
        {"no match falls back to the default", kThermalA, {QStringLiteral("zebra")}, "Thermal A*"},
        {"no match and no default: the first", QString(), {QStringLiteral("zebra")}, "Label 9"},
        {"empty keyword list: the default", kThermalA, {}, "Thermal A*"},
        {"empty keyword list, no default: the first", QStringLiteral("Gone"), {}, "Label 9"},
        {"an empty keyword is in every name", QString(), {QString()}, "Label 9"},
    };
    for (const Row &row : rows) {
        auto [source, catalog] = makeCatalog(kSystemNames, row.defaultName);
        EXPECT_EQ(render(quill::testing::runSync(catalog->preferredPrinter(row.keywords))).toStdString(), row.expected)
            << row.what;
    }

    auto [source, empty] = makeCatalog({}, kThermalA);
    EXPECT_EQ(quill::testing::runSync(empty->preferredPrinter({QStringLiteral("thermal")})), std::nullopt);
    EXPECT_EQ(quill::testing::runSync(empty->preferredPrinter({})), std::nullopt);
}

TEST(PrinterCatalog, PreferredPrinterUpperCasesBeyondAscii)
{
    auto [source, catalog] =
        makeCatalog({QStringLiteral("Drucker Stra\u00dfe"), QStringLiteral("\u00c9tiquettes")}, QString());
    EXPECT_EQ(render(quill::testing::runSync(catalog->preferredPrinter({QStringLiteral("\u00e9tiq")}))),
              QStringLiteral("\u00c9tiquettes"));
    EXPECT_EQ(render(quill::testing::runSync(catalog->preferredPrinter({QStringLiteral("strasse")}))),
              QStringLiteral("Drucker Stra\u00dfe"));
}

TEST(PrinterCatalog, ReadsTheSystemAfreshOnEveryCall)
{
    auto [source, catalog] = makeCatalog({kOfficeLaser}, kOfficeLaser);
    EXPECT_EQ(render(quill::testing::runSync(catalog->availablePrinters())), QStringList{"Office Laser*"});
    source->names = {kOfficeLaser, kThermalA};
    source->defaultName = kThermalA;
    EXPECT_EQ(render(quill::testing::runSync(catalog->availablePrinters())),
              QStringList({"Thermal A*", "Office Laser"}));
    EXPECT_EQ(source->reads, QStringList({QStringLiteral("default"), QStringLiteral("names"),
                                          QStringLiteral("default"), QStringLiteral("names")}));
}

// --- reading CUPS ----------------------------------------------------------------------------

TEST(CUPSPrinterNameSource, ParsesLpstatOutput)
{
    EXPECT_EQ(
        CUPSPrinterNameSource::parseDestinations(QStringLiteral("FailLabel\nSlowLabel\r\nTestLabel\n\n")),
        QStringList({QStringLiteral("FailLabel"), QStringLiteral("SlowLabel"), QStringLiteral("TestLabel")}));
    EXPECT_EQ(CUPSPrinterNameSource::parseDestinations(QString()), QStringList());

    QStringList ignored;
    EXPECT_EQ(CUPSPrinterNameSource::parseDestinations(
                  QStringLiteral("lpstat: Bad file descriptor\nTestLabel\nOffice/duplex\n"), &ignored),
              QStringList({QStringLiteral("TestLabel"), QStringLiteral("Office/duplex")}));
    EXPECT_EQ(ignored, QStringList{QStringLiteral("lpstat: Bad file descriptor")});

    struct Row
    {
        QString output;
        std::optional<QString> expected;
    };
    const Row rows[] = {
        {QStringLiteral("system default destination: TestLabel\n"), QStringLiteral("TestLabel")},
        {QStringLiteral("system default destination: Office/duplex"), QStringLiteral("Office/duplex")},
        {QStringLiteral("no system default destination\n"), QString()},
        {QStringLiteral("lpstat: Bad file descriptor\n"), std::nullopt},
        {QString(), std::nullopt},
    };
    for (const Row &row : rows)
        EXPECT_EQ(CUPSPrinterNameSource::parseDefaultDestination(row.output), row.expected)
            << row.output.toStdString();
}

TEST(CUPSPrinterNameSource, AsksLpstatForDestinationsAndTheDefault)
{
    FakeProcessRunner runner;
    answerLpstat(runner, FakeProcessRunner::finished(QStringLiteral("ZebraLabel\nlabel10\nLabel9\n")),
                 FakeProcessRunner::finished(QStringLiteral("system default destination: ZebraLabel\n")));
    PrinterCatalog catalog(
        std::make_unique<CUPSPrinterNameSource>(&runner, toolsAt(QStringLiteral("/opt/cups/bin/lpstat"))));

    EXPECT_EQ(render(quill::testing::runSync(catalog.availablePrinters())),
              QStringList({"ZebraLabel*", "Label9", "label10"}));
    ASSERT_EQ(runner.requests().size(), 2);
    for (const ProcessRequest &request : runner.requests()) {
        EXPECT_EQ(request.program, QStringLiteral("/opt/cups/bin/lpstat"));
        EXPECT_EQ(request.timeout, std::chrono::milliseconds(1234));
    }
    EXPECT_EQ(runner.requests().at(0).arguments, QStringList{QStringLiteral("-d")});
    EXPECT_EQ(runner.requests().at(1).arguments, QStringList{QStringLiteral("-e")});
}

TEST(CUPSPrinterNameSource, NoDestinationsIsAnEmptyListWithoutComplaint)
{
    WarningCapture warnings;
    FakeProcessRunner runner;
    answerLpstat(runner, FakeProcessRunner::finished(QString()),
                 FakeProcessRunner::finished(QStringLiteral("no system default destination\n")));
    PrinterCatalog catalog(std::make_unique<CUPSPrinterNameSource>(&runner));
    EXPECT_TRUE(quill::testing::runSync(catalog.availablePrinters()).isEmpty());
    EXPECT_EQ(quill::testing::runSync(catalog.defaultPrinter()), std::nullopt);
    EXPECT_TRUE(WarningCapture::messages().isEmpty()) << str(WarningCapture::messages());
}

TEST(CUPSPrinterNameSource, ToolFailuresGiveNoPrintersButAreLogged)
{
    struct Row
    {
        const char *what;
        ProcessResult destinations;
        ProcessResult defaultDestination;
        QStringList expected;
        const char *logged;
    };
    const ProcessResult listing = FakeProcessRunner::finished(QStringLiteral("TestLabel\nZebraLabel\n"));
    const ProcessResult hasDefault =
        FakeProcessRunner::finished(QStringLiteral("system default destination: TestLabel\n"));
    const Row rows[] = {
        {"lpstat missing",
         FakeProcessRunner::failedToStart(),
         FakeProcessRunner::failedToStart(),
         {},
         "could not be started"},
        {"listing fails",
         FakeProcessRunner::finished(QStringLiteral("lpstat: Unable to connect to server"), 1),
         hasDefault,
         {},
         "Unable to connect to server"},
        {"listing hangs", FakeProcessRunner::timedOut(), hasDefault, {}, "timed out"},
        {"default read fails",
         listing,
         FakeProcessRunner::finished(QString(), 1),
         {"TestLabel", "ZebraLabel"},
         "exit status 1"},
        {"default answer not understood",
         listing,
         FakeProcessRunner::finished(QStringLiteral("lpstat: odd\n")),
         {"TestLabel", "ZebraLabel"},
         "lpstat: odd"},
        {"diagnostic among the names",
         FakeProcessRunner::finished(QStringLiteral("TestLabel\nlpstat: odd line\n")),
         hasDefault,
         {"TestLabel*"},
         "lpstat: odd line"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        WarningCapture warnings;
        FakeProcessRunner runner;
        answerLpstat(runner, row.destinations, row.defaultDestination);
        PrinterCatalog catalog(std::make_unique<CUPSPrinterNameSource>(&runner));
        EXPECT_EQ(render(quill::testing::runSync(catalog.availablePrinters())), row.expected);
        EXPECT_TRUE(
            WarningCapture::messages().join(QLatin1Char('\n')).contains(QString::fromUtf8(row.logged)))
            << str(WarningCapture::messages());
    }
}

// --- the private scheduler -------------------------------------------------------------------

TEST(CupsPrinterCatalog, ListsTheSchedulersQueuesDefaultFirst)
{
    PrinterCatalog catalog;
    const QList<PrinterDescriptor> printers = quill::testing::runSync(catalog.availablePrinters());
    const QStringList names = render(printers);
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.first(), QStringLiteral("TestLabel*"));

    // The rest by name, none of them default, and exactly the queues Qt's own printer list knows.
    const QStringList rest = names.mid(1);
    QStringList sorted = rest;
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(rest, sorted);
    for (const QString &queue :
         {QStringLiteral("ZebraLabel"), QStringLiteral("SlowLabel"), QStringLiteral("FailLabel")})
        EXPECT_TRUE(rest.contains(queue)) << queue.toStdString();
    QStringList fromQt = QPrinterInfo::availablePrinterNames();
    QStringList fromCatalog;
    for (const PrinterDescriptor &p : printers)
        fromCatalog.append(p.name);
    fromQt.sort();
    fromCatalog.sort();
    EXPECT_EQ(fromCatalog, fromQt) << str(fromCatalog) << " vs " << str(fromQt);

    EXPECT_EQ(render(quill::testing::runSync(catalog.defaultPrinter())), QStringLiteral("TestLabel*"));
    EXPECT_EQ(render(quill::testing::runSync(catalog.preferredPrinter({QStringLiteral("zebra")}))),
              QStringLiteral("ZebraLabel"));
}
