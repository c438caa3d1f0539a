#include "common/json.h"
#include "printkit/domain/coding.h"
#include "printkit/domain/cups_queue_status.h"
#include "printkit/domain/label_preset.h"

#include <QJsonArray>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace printkit;
using quill::json::DecodeError;

namespace {

std::string str(const QString &text)
{
    return text.toStdString();
}

QJsonObject shippingCanvasJson()
{
    return coding::toJson(LabelPreset::shipping4x6().canvas);
}

PrintJobRequest sampleRequest()
{
    return PrintJobRequest(PrinterID("Thermal A"), LabelPreset::mm50x25().canvas,
                           LabelCalibration{3, -2, 90, PostPrintAction::tearOff}, LabelContent::sample(), 2,
                           PrintTransportStrategy::cups,
                           CUPSPrintConfiguration{QStringLiteral("Thermal_A"),
                                                  true,
                                                  {{QStringLiteral("PostAction"), QStringLiteral("None")},
                                                   {QStringLiteral("Darkness"), QStringLiteral("12")}}});
}

} // namespace

// --- presets ---------------------------------------------------------------------------------

TEST(LabelPreset, AllListsTheEightStocksInOrderWithTheirTexts)
{
    struct Row
    {
        const LabelPreset &preset;
        const char *id;
        const char *title;
        const char *subtitle;
        const char *canvasName;
        LabelShape shape;
    };
    const Row rows[] = {
        {LabelPreset::rect1x2(), "rect-1x2", "1×2 Rectangle", "1.0 × 2.0 in", "1×2 Rectangle",
         LabelShape::roundedRectangle},
        {LabelPreset::circle2(), "circle-2", "2\" Circle", "2.0 × 2.0 in", "2 inch circle label",
         LabelShape::circle},
        {LabelPreset::shipping4x6(), "shipping-4x6", "4×6 Shipping", "4.0 × 6.0 in", "4×6 Shipping",
         LabelShape::rectangle},
        {LabelPreset::circle2_5(), "circle-2_5", "2.5\" Circle", "2.5 × 2.5 in", "2.5 inch circle label",
         LabelShape::circle},
        {LabelPreset::mm50x25(), "mm-50x25", "50mm × 25mm", "1.97 × 0.98 in", "50 × 25 mm label",
         LabelShape::roundedRectangle},
        {LabelPreset::mm70x20(), "mm-70x20", "70mm × 20mm", "2.76 × 0.79 in", "70 × 20 mm strip",
         LabelShape::roundedRectangle},
        {LabelPreset::rect3x2(), "rect-3x2", "3×2 Rectangle", "3.0 × 2.0 in", "3×2 Rectangle",
         LabelShape::roundedRectangle},
        {LabelPreset::custom(), "custom", "Custom", "Editable width, height, and shape", "Custom",
         LabelShape::roundedRectangle},
    };
    const QList<LabelPreset> &all = LabelPreset::all();
    ASSERT_EQ(all.size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].id);
        const LabelPreset &p = all.at(static_cast<qsizetype>(i));
        EXPECT_EQ(p, rows[i].preset);
        EXPECT_EQ(str(p.id), rows[i].id);
        EXPECT_EQ(str(p.title), rows[i].title);
        EXPECT_EQ(str(p.subtitle), rows[i].subtitle);
        EXPECT_EQ(str(p.canvas.name), rows[i].canvasName);
        EXPECT_EQ(p.canvas.shape, rows[i].shape);
        EXPECT_EQ(p.canvas.printerDPI, std::optional<qint64>(203));
        EXPECT_EQ(p.recommendedCalibration, LabelCalibration::standard());
    }
}

TEST(LabelPreset, TitlesUseTheRealInchMarkAndMultiplicationSign)
{
    const QString circle = LabelPreset::circle2().title;
    ASSERT_EQ(circle.size(), 9);
    EXPECT_EQ(circle.at(1), QChar(0x22));
    EXPECT_EQ(LabelPreset::circle2_5().title,
              QStringLiteral("2.5") + QChar(0x22) + QStringLiteral(" Circle"));
    EXPECT_EQ(LabelPreset::rect1x2().title.at(1), QChar(0x00D7));
    EXPECT_EQ(LabelPreset::mm50x25().canvas.name.at(3), QChar(0x00D7));
}

TEST(LabelPreset, MillimetreStocksKeepTheExactQuotients)
{
    EXPECT_EQ(LabelPreset::mm50x25().canvas.widthInches, 1.968503937007874);
    EXPECT_EQ(LabelPreset::mm50x25().canvas.heightInches, 0.984251968503937);
    EXPECT_EQ(LabelPreset::mm70x20().canvas.widthInches, 2.7559055118110236);
    EXPECT_EQ(LabelPreset::mm70x20().canvas.heightInches, 0.7874015748031497);
}

TEST(LabelPreset, SharedValuesAreBuiltOnce)
{
    EXPECT_EQ(&LabelPreset::rect1x2(), &LabelPreset::rect1x2());
    EXPECT_EQ(&LabelPreset::all(), &LabelPreset::all());
    EXPECT_EQ(&LabelCanvas::standard(), &LabelCanvas::standard());
    EXPECT_EQ(LabelCanvas::standard(), LabelPreset::circle2().canvas);
}

// --- page-size names and inch texts ----------------------------------------------------------

TEST(LabelCanvas, PageSizeNamesOfThePresets)
{
    const char *expected[] = {"Custom.144x72", "Custom.144x144", "Custom.288x432", "Custom.180x180",
                              "Custom.142x71", "Custom.198x57",  "Custom.216x144", "Custom.144x144"};
    ASSERT_EQ(LabelPreset::all().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(str(LabelPreset::all().at(static_cast<qsizetype>(i)).canvas.cupsPageSizeName()),
                  expected[i])
            << i;
}

TEST(LabelCanvas, PageSizeNamesRoundHalvesAwayFromZero)
{
    struct Row
    {
        double widthPoints, heightPoints;
        const char *expected;
    };
    const Row rows[] = {
        {72.5, 36.5, "Custom.73x37"},
        {72.49, 36.51, "Custom.72x37"},
        {18.5, 19.5, "Custom.19x20"},
        {18, 100, "Custom.18x100"},
    };
    for (const Row &row : rows) {
        const LabelCanvas canvas =
            LabelCanvas::custom(row.widthPoints / 72, row.heightPoints / 72, LabelShape::circle);
        EXPECT_EQ(str(canvas.cupsPageSizeName()), row.expected);
    }
    // Below a quarter inch no name is made: it would round to a page of nothing.
    for (const double points : {0.4, 17.9})
        EXPECT_THROW(LabelCanvas::custom(points / 72, 100.0 / 72, LabelShape::circle).validate(),
                     InvalidCanvasError)
            << points;
}

TEST(LabelCanvas, FormatInches)
{
    struct Row
    {
        double inches;
        const char *expected;
    };
    const Row rows[] = {
        {0.004, "0"},   {0.5, "0.5"},
        {3, "3"},       {2.0, "2"},
        {2.99995, "3"}, {2.999, "3"},
        {10.004, "10"}, {20.5, "20.5"},
        {1.25, "1.25"}, {0.7874015748031497, "0.79"},
        {100.0, "100"}, {100.001, "100"},
        {0.1, "0.1"},   {1.968503937007874, "1.97"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(str(LabelCanvas::formatInches(row.inches)), row.expected) << row.inches;
}

TEST(LabelCanvas, SizeDescriptionsOfThePresetsAndSummary)
{
    const char *expected[] = {"2 × 1 in",       "2 × 2 in",       "4 × 6 in", "2.5 × 2.5 in",
                              "1.97 × 0.98 in", "2.76 × 0.79 in", "3 × 2 in", "2 × 2 in"};
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(str(LabelPreset::all().at(static_cast<qsizetype>(i)).canvas.sizeDescription()), expected[i])
            << i;

    const QString summary = LabelPreset::shipping4x6().canvas.summary();
    EXPECT_EQ(summary,
              QStringLiteral("4×6 Shipping") + QStringLiteral(" \u2022 ") + QStringLiteral("4 × 6 in"));
    EXPECT_NE(LabelPreset::rect1x2().canvas.sizeDescription(), LabelPreset::rect1x2().subtitle);
}

TEST(LabelCanvas, PointsAndAspectRatio)
{
    const LabelCanvas strip = LabelPreset::mm70x20().canvas;
    EXPECT_NEAR(strip.aspectRatio(), 3.5, 1e-12);
    EXPECT_NEAR(strip.widthPoints(), 198.43, 0.01); // not rounded
    EXPECT_EQ(LabelCanvas::custom(2, 0, LabelShape::rectangle).aspectRatio(), 1.0);
    EXPECT_EQ(LabelCanvas::custom(2, -0.0, LabelShape::rectangle).aspectRatio(), 1.0);
    EXPECT_EQ(LabelCanvas::custom(3, 2, LabelShape::rectangle).aspectRatio(), 1.5);
}

TEST(LabelCanvas, CustomAndStandardCanvases)
{
    const LabelCanvas custom = LabelCanvas::custom(1.5, 2.5, LabelShape::circle);
    EXPECT_EQ(str(custom.name), "Custom");
    EXPECT_EQ(custom.printerDPI, std::nullopt);
    EXPECT_EQ(LabelCanvas::custom(1, 1, LabelShape::rectangle, 300).printerDPI, std::optional<qint64>(300));

    const LabelCanvas &standard = LabelCanvas::standard();
    EXPECT_EQ(str(standard.name), "2 inch circle label");
    EXPECT_EQ(standard.widthInches, 2.0);
    EXPECT_EQ(standard.heightInches, 2.0);
    EXPECT_EQ(standard.shape, LabelShape::circle);
    EXPECT_EQ(standard.printerDPI, std::optional<qint64>(203));
}

TEST(LabelCanvas, UnprintableSizesAreRejectedBeforeBecomingIntegers)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double bad[] = {nan, inf, -inf, 0.0, -0.0, -1.0, 48.01, 1e300};
    for (double value : bad) {
        SCOPED_TRACE(value);
        for (const LabelCanvas &canvas : {LabelCanvas::custom(value, 2, LabelShape::rectangle),
                                          LabelCanvas::custom(2, value, LabelShape::rectangle)}) {
            EXPECT_TRUE(canvas.invalidReason().has_value());
            EXPECT_THROW(canvas.validate(), InvalidCanvasError);
            EXPECT_THROW(canvas.cupsPageSizeName(), InvalidCanvasError);
        }
    }
    try {
        LabelCanvas::custom(48.01, 2, LabelShape::rectangle).validate();
        FAIL() << "no error";
    } catch (const InvalidCanvasError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("width"))) << str(error.message());
    }

    const LabelCanvas largest = LabelCanvas::custom(48, 48, LabelShape::rectangle);
    EXPECT_NO_THROW(largest.validate());
    EXPECT_EQ(str(largest.cupsPageSizeName()), "Custom.3456x3456");
}

// --- equality and hashing --------------------------------------------------------------------

TEST(LabelCanvas, EqualityAndHashFollowValues)
{
    const LabelCanvas a = LabelCanvas::custom(0.0, 2, LabelShape::circle);
    const LabelCanvas b = LabelCanvas::custom(-0.0, 2, LabelShape::circle);
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));

    LabelCanvas withDpi = a;
    withDpi.printerDPI = 203;
    EXPECT_NE(a, withDpi);
    LabelCanvas otherShape = a;
    otherShape.shape = LabelShape::rectangle;
    EXPECT_NE(a, otherShape);
}

TEST(PrintRecords, CanonicallyEquivalentTextsAndSignedZerosMakeOneRecordThatKeepsItsOwnSpelling)
{
    // One name, two spellings: a precomposed "é" and "e" followed by a combining acute accent.
    const QString composed = QStringLiteral("Caf\u00E9 Label");
    const QString decomposed = QStringLiteral("Cafe\u0301 Label");
    ASSERT_NE(composed.size(), decomposed.size());

    const auto expectOneRecord = [](const char *what, const auto &a, const auto &b) {
        SCOPED_TRACE(what);
        EXPECT_TRUE(a == b);
        EXPECT_FALSE(a != b);
        EXPECT_EQ(qHash(a), qHash(b));
        EXPECT_EQ(qHash(a, 42), qHash(b, 42));
        EXPECT_EQ((QSet<std::decay_t<decltype(a)>>{a, b}.size()), 1);
    };
    const auto expectTwoRecords = [](const char *what, const auto &a, const auto &b) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(a == b);
        EXPECT_EQ((QSet<std::decay_t<decltype(a)>>{a, b}.size()), 2);
    };

    const auto canvas = [](const QString &name, double width) {
        return LabelCanvas{name, width, 2.0, LabelShape::circle, 203};
    };
    const auto content = [](const QString &text) { return LabelContent{text, text, text, text, text}; };
    const auto preset = [&](const QString &text, double width) {
        return LabelPreset{text, text, text, canvas(text, width),
                           LabelCalibration{1, 2, 90, PostPrintAction::tearOff}};
    };
    const auto configuration = [](const QString &text) {
        return CUPSPrintConfiguration{text, true, {{QStringLiteral("MediaType"), text}}};
    };
    const auto request = [&](const QString &text, double width) {
        return PrintJobRequest(PrinterID(text), canvas(text, width), LabelCalibration::standard(),
                               content(text), 2, PrintTransportStrategy::cups, configuration(text));
    };

    expectOneRecord("PrinterID", PrinterID(composed), PrinterID(decomposed));
    expectOneRecord("CUPSOption", CUPSOption{composed, composed}, CUPSOption{decomposed, decomposed});
    expectOneRecord("LabelCanvas", canvas(composed, 0.0), canvas(decomposed, -0.0));
    expectOneRecord("LabelCalibration", LabelCalibration{1, 2, 90, PostPrintAction::tearOff},
                    LabelCalibration{1, 2, 90, PostPrintAction::tearOff});
    expectOneRecord("LabelContent", content(composed), content(decomposed));
    expectOneRecord("LabelPreset", preset(composed, 0.0), preset(decomposed, -0.0));
    expectOneRecord("CUPSPrintConfiguration", configuration(composed), configuration(decomposed));
    expectOneRecord("PrintJobRequest", request(composed, 0.0), request(decomposed, -0.0));
    expectOneRecord("PrinterDescriptor", PrinterDescriptor{PrinterID(composed), composed, true},
                    PrinterDescriptor{PrinterID(decomposed), decomposed, true});
    // A size that is not a number is still the same record as its own copy.
    const LabelCanvas unmeasured = canvas(composed, std::numeric_limits<double>::quiet_NaN());
    expectOneRecord("LabelCanvas without a number", unmeasured, LabelCanvas(unmeasured));

    // Only canonical equivalence joins texts: a missing accent, a compatibility ligature
    // and an empty queue name in place of none are other values.
    expectTwoRecords("accent", PrinterID(composed), PrinterID(QStringLiteral("Cafe Label")));
    expectTwoRecords("ligature", CUPSOption{QStringLiteral("\uFB01nish"), composed},
                     CUPSOption{QStringLiteral("finish"), composed});
    expectTwoRecords("absent queue", CUPSPrintConfiguration{std::nullopt, true, {}},
                     CUPSPrintConfiguration{QString(), true, {}});
    expectTwoRecords("width", request(composed, 2.0), request(composed, 2.5));

    // Each record keeps and codes the spelling it was given.
    const PrintJobRequest decoded = coding::printJobRequestFromJson(coding::toJson(request(decomposed, 2.0)));
    EXPECT_EQ(decoded.printerID.rawValue.toUtf8(), decomposed.toUtf8());
    EXPECT_EQ(decoded.content.headline.toUtf8(), decomposed.toUtf8());
    EXPECT_EQ(decoded.cupsConfiguration->queueName->toUtf8(), decomposed.toUtf8());
    EXPECT_EQ(decoded.cupsConfiguration->options.at(0).value.toUtf8(), decomposed.toUtf8());
}

TEST(CUPSOption, IdIsNameEqualsValue)
{
    const CUPSOption a{QStringLiteral("PostAction"), QStringLiteral("None")};
    const CUPSOption b{QStringLiteral("PostAction"), QStringLiteral("None")};
    EXPECT_EQ(str(a.id()), "PostAction=None");
    EXPECT_EQ(str(CUPSOption({QStringLiteral("PaperType"), QStringLiteral("1")}).id()), "PaperType=1");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.id(), b.id());
    EXPECT_EQ(qHash(a), qHash(b));
    EXPECT_NE(a, CUPSOption({QStringLiteral("PostAction"), QStringLiteral("none")}));
}

TEST(PrinterID, BuiltFromAnyTextAndDescribedByIt)
{
    const PrinterID fromLiteral = "Thermal A";
    const PrinterID fromString = QStringLiteral("Thermal A");
    EXPECT_EQ(fromLiteral, fromString);
    EXPECT_EQ(qHash(fromLiteral), qHash(fromString));
    EXPECT_EQ(str(fromLiteral.description()), "Thermal A");
    EXPECT_EQ(str(PrinterID("").rawValue), "");
}

// --- enumerations ----------------------------------------------------------------------------

TEST(PrintEnumerations, RawTextsAreExactAndCaseSensitive)
{
    EXPECT_EQ(allLabelShapes(),
              QList<LabelShape>({LabelShape::rectangle, LabelShape::roundedRectangle, LabelShape::circle}));
    for (LabelShape shape : allLabelShapes())
        EXPECT_EQ(labelShapeFromRaw(rawValue(shape)), shape);
    EXPECT_EQ(str(rawValue(LabelShape::roundedRectangle)), "roundedRectangle");

    EXPECT_EQ(labelShapeFromRaw(QStringLiteral("Circle")), std::nullopt);
    EXPECT_EQ(labelShapeFromRaw(QStringLiteral("oval")), std::nullopt);
    EXPECT_EQ(labelShapeFromRaw(QStringLiteral("rounded_rectangle")), std::nullopt);
    EXPECT_EQ(postPrintActionFromRaw(QStringLiteral("tearOff")), PostPrintAction::tearOff);
    EXPECT_EQ(postPrintActionFromRaw(QStringLiteral("TearOff")), std::nullopt);
    EXPECT_EQ(printTransportStrategyFromRaw(QStringLiteral("systemDialog")),
              PrintTransportStrategy::systemDialog);
    EXPECT_EQ(printTransportStrategyFromRaw(QStringLiteral("CUPS")), std::nullopt);
    EXPECT_EQ(cupsQueueStateFromRaw(QStringLiteral("stopped")), CUPSQueueState::stopped);
    EXPECT_EQ(cupsQueueStateFromRaw(QStringLiteral("Stopped")), std::nullopt);
    EXPECT_EQ(cupsQueueStateFromRaw(QStringLiteral(" idle")), std::nullopt);
}

TEST(CUPSQueueStatus, IsStoppedOnlyForTheStoppedState)
{
    for (auto [state, stopped] :
         {std::pair{CUPSQueueState::idle, false}, std::pair{CUPSQueueState::processing, false},
          std::pair{CUPSQueueState::unknown, false}, std::pair{CUPSQueueState::stopped, true}}) {
        const CUPSQueueStatus status(QStringLiteral("TestLabel"), state, QString(), 0);
        EXPECT_EQ(status.isStopped(), stopped) << str(rawValue(state));
    }
}

// --- job requests ----------------------------------------------------------------------------

TEST(PrintJobRequest, InitialiserStoresAtLeastOneCopyButDecodingAndAssignmentDoNot)
{
    const std::initializer_list<std::pair<qint64, qint64>> rows{
        {0, 1}, {-3, 1}, {1, 1}, {5, 5}, {std::numeric_limits<qint64>::min(), 1}};
    for (auto [given, stored] : rows) {
        const PrintJobRequest request("P", LabelCanvas::standard(), {}, LabelContent::sample(), given,
                                      PrintTransportStrategy::systemDialog);
        EXPECT_EQ(request.copies, stored) << given;
        EXPECT_EQ(request.cupsConfiguration, std::nullopt);
    }

    PrintJobRequest assigned = sampleRequest();
    assigned.copies = -2;
    EXPECT_EQ(assigned.copies, -2);

    QJsonObject json = coding::toJson(sampleRequest());
    json.insert(QStringLiteral("copies"), 0);
    EXPECT_EQ(coding::printJobRequestFromJson(json).copies, 0);
    json.insert(QStringLiteral("copies"), -4);
    EXPECT_EQ(coding::printJobRequestFromJson(json).copies, -4);
}

// --- coding ----------------------------------------------------------------------------------

TEST(PrintCoding, RecordsSurviveARoundTrip)
{
    const PrintJobRequest request = sampleRequest();
    EXPECT_EQ(coding::printJobRequestFromJson(coding::toJson(request)), request);

    PrintJobRequest plain = request;
    plain.cupsConfiguration.reset();
    plain.canvas.printerDPI.reset();
    const QJsonObject plainJson = coding::toJson(plain);
    EXPECT_FALSE(plainJson.contains(QStringLiteral("cupsConfiguration")));
    EXPECT_EQ(coding::printJobRequestFromJson(plainJson), plain);

    for (const LabelPreset &preset : LabelPreset::all())
        EXPECT_EQ(coding::labelPresetFromJson(coding::toJson(preset)), preset) << str(preset.id);

    const PrinterDescriptor descriptor{PrinterID("Label 9"), QStringLiteral("Label 9"), true};
    EXPECT_EQ(coding::printerDescriptorFromJson(coding::toJson(descriptor)), descriptor);

    const CUPSPrintConfiguration noQueue{std::nullopt, false, {}};
    const QJsonObject noQueueJson = coding::toJson(noQueue);
    EXPECT_FALSE(noQueueJson.contains(QStringLiteral("queueName")));
    EXPECT_EQ(coding::cupsPrintConfigurationFromJson(noQueueJson), noQueue);

    // The stored value is what comes back, also for an empty queue name.
    const CUPSPrintConfiguration emptyQueue{QString(), true, {}};
    EXPECT_EQ(coding::cupsPrintConfigurationFromJson(coding::toJson(emptyQueue)), emptyQueue);
}

TEST(PrintCoding, KeysAreTheFieldNames)
{
    const QJsonObject json = coding::toJson(sampleRequest());
    EXPECT_EQ(json.keys(),
              QStringList({QStringLiteral("calibration"), QStringLiteral("canvas"), QStringLiteral("content"),
                           QStringLiteral("copies"), QStringLiteral("cupsConfiguration"),
                           QStringLiteral("printerID"), QStringLiteral("transportStrategy")}));
    EXPECT_EQ(json.value(QStringLiteral("transportStrategy")).toString(), QStringLiteral("cups"));
    const QJsonObject canvas = json.value(QStringLiteral("canvas")).toObject();
    EXPECT_EQ(canvas.value(QStringLiteral("shape")).toString(), QStringLiteral("roundedRectangle"));
    EXPECT_EQ(canvas.value(QStringLiteral("printerDPI")).toInteger(), 203);
    const QJsonObject calibration = json.value(QStringLiteral("calibration")).toObject();
    EXPECT_EQ(calibration.value(QStringLiteral("postPrintAction")).toString(), QStringLiteral("tearOff"));
    const QJsonArray options =
        json.value(QStringLiteral("cupsConfiguration")).toObject().value(QStringLiteral("options")).toArray();
    ASSERT_EQ(options.size(), 2);
    EXPECT_FALSE(options.at(0).toObject().contains(QStringLiteral("id"))); // derived, not stored
    EXPECT_EQ(options.at(1).toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Darkness"));
}

TEST(PrintCoding, PrinterIDIsABareString)
{
    const QJsonValue id = coding::toJson(PrinterID("Thermal A"));
    ASSERT_TRUE(id.isString());
    EXPECT_EQ(id.toString(), QStringLiteral("Thermal A"));
    EXPECT_EQ(coding::toJson(sampleRequest()).value(QStringLiteral("printerID")),
              QJsonValue(QStringLiteral("Thermal A")));
    EXPECT_EQ(coding::printerIDFromJson(QJsonValue(QStringLiteral("X"))), PrinterID("X"));

    for (const QJsonValue &bad :
         {QJsonValue(QJsonObject{{QStringLiteral("rawValue"), QStringLiteral("X")}}), QJsonValue(3),
          QJsonValue(QJsonValue::Null), QJsonValue(QJsonValue::Undefined)}) {
        EXPECT_THROW(coding::printerIDFromJson(bad), DecodeError);
        QJsonObject request = coding::toJson(sampleRequest());
        request.insert(QStringLiteral("printerID"), bad);
        EXPECT_THROW(coding::printJobRequestFromJson(request), DecodeError);
        QJsonObject descriptor =
            coding::toJson(PrinterDescriptor{PrinterID("X"), QStringLiteral("X"), false});
        descriptor.insert(QStringLiteral("id"), bad);
        EXPECT_THROW(coding::printerDescriptorFromJson(descriptor), DecodeError);
    }
}

TEST(PrintCoding, PrinterDpiIsOptional)
{
    QJsonObject json = shippingCanvasJson();
    json.remove(QStringLiteral("printerDPI"));
    EXPECT_EQ(coding::labelCanvasFromJson(json).printerDPI, std::nullopt);
    json.insert(QStringLiteral("printerDPI"), QJsonValue::Null);
    EXPECT_EQ(coding::labelCanvasFromJson(json).printerDPI, std::nullopt);

    const QJsonObject encoded = coding::toJson(LabelCanvas::custom(2, 1, LabelShape::rectangle));
    EXPECT_FALSE(encoded.contains(QStringLiteral("printerDPI")));
    EXPECT_EQ(encoded.size(), 4);
}

TEST(PrintCoding, StrictFailures)
{
    struct Case
    {
        const char *what;
        QJsonObject canvas;
    };
    auto with = [](const char *key, const QJsonValue &value) {
        QJsonObject o = shippingCanvasJson();
        o.insert(QString::fromLatin1(key), value);
        return o;
    };
    auto without = [](const char *key) {
        QJsonObject o = shippingCanvasJson();
        o.remove(QString::fromLatin1(key));
        return o;
    };
    const Case cases[] = {
        {"missing name", without("name")},
        {"missing widthInches", without("widthInches")},
        {"missing shape", without("shape")},
        {"null heightInches", with("heightInches", QJsonValue::Null)},
        {"text width", with("widthInches", QStringLiteral("4"))},
        {"boolean height", with("heightInches", true)},
        {"number name", with("name", 4)},
        {"unknown shape", with("shape", QStringLiteral("oval"))},
        {"shape in another case", with("shape", QStringLiteral("Circle"))},
        {"fractional DPI", with("printerDPI", 203.5)},
        {"text DPI", with("printerDPI", QStringLiteral("203"))},
    };
    for (const Case &c : cases)
        EXPECT_THROW(coding::labelCanvasFromJson(c.canvas), DecodeError) << c.what;

    QJsonObject request = coding::toJson(sampleRequest());
    request.insert(QStringLiteral("copies"), 1.5);
    EXPECT_THROW(coding::printJobRequestFromJson(request), DecodeError);
    request = coding::toJson(sampleRequest());
    request.insert(QStringLiteral("transportStrategy"), QStringLiteral("lp"));
    EXPECT_THROW(coding::printJobRequestFromJson(request), DecodeError);
    request = coding::toJson(sampleRequest());
    request.insert(QStringLiteral("canvas"), with("shape", QStringLiteral("oval")));
    EXPECT_THROW(coding::printJobRequestFromJson(request), DecodeError)
        << "a nested failure fails the whole request";

    QJsonObject calibration = coding::toJson(LabelCalibration{});
    calibration.insert(QStringLiteral("rotationDegrees"), 90.25);
    EXPECT_THROW(coding::labelCalibrationFromJson(calibration), DecodeError);

    QJsonObject configuration = coding::toJson(*sampleRequest().cupsConfiguration);
    configuration.insert(QStringLiteral("options"),
                         QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("A")}}});
    EXPECT_THROW(coding::cupsPrintConfigurationFromJson(configuration), DecodeError);
    configuration.insert(QStringLiteral("options"), QJsonArray{QStringLiteral("A=B")});
    EXPECT_THROW(coding::cupsPrintConfigurationFromJson(configuration), DecodeError);

    QJsonObject content = coding::toJson(LabelContent::sample());
    content.remove(QStringLiteral("footer"));
    EXPECT_THROW(coding::labelContentFromJson(content), DecodeError);
}

TEST(PrintCoding, UnknownKeysAreIgnored)
{
    QJsonObject json = shippingCanvasJson();
    json.insert(QStringLiteral("colour"), QStringLiteral("white"));
    EXPECT_EQ(coding::labelCanvasFromJson(json), LabelPreset::shipping4x6().canvas);
}
