#include "common/json.h"
#include "designer/label_template_json.h"
#include "designer_fixtures.h"

#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace quill;
using namespace quill::testing;

namespace {

void expectSameTemplate(const LabelTemplate &read, const LabelTemplate &written)
{
    EXPECT_EQ(read.id, written.id);
    EXPECT_EQ(read.name, written.name);
    EXPECT_EQ(read.labelSize, written.labelSize);
    EXPECT_EQ(read.labelShape, written.labelShape);
    EXPECT_EQ(read.elements, written.elements);
    EXPECT_EQ(read.gridSpacing, written.gridSpacing);
    EXPECT_EQ(read.createdAt, written.createdAt);
    EXPECT_EQ(read.updatedAt, written.updatedAt);
}

LabelTemplate workedExample()
{
    LabelTemplate t = blankTemplate();
    t.id = QUuid::fromString(QStringLiteral("5E0C9A4B-7F21-4D3A-9B6E-2C81F04D7A19"));
    LabelElement text = textElement();
    text.id = QUuid::fromString(QStringLiteral("A93D27F0-41C6-4E8B-8F52-6B1E0C7D3A48"));
    t.elements = {text};
    return t;
}

QJsonObject exampleObject()
{
    return QJsonDocument::fromJson(encodeLabelTemplate(workedExample())).object();
}

QByteArray bytesOf(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

QStringList keysInOrder(const QByteArray &document)
{
    QStringList keys;
    static const QRegularExpression key(QStringLiteral("\"([A-Za-z_0-9]+)\": "));
    auto it = key.globalMatch(QString::fromUtf8(document));
    while (it.hasNext())
        keys << it.next().captured(1);
    return keys;
}

} // namespace

TEST(LabelTemplateJson, RoundTripKeepsEveryFieldOfAllThreeKinds)
{
    const LabelTemplate written = fullTemplate();
    const QByteArray bytes = encodeLabelTemplate(written);
    // Valid JSON that the plain parser reads too, with the text escaped and not mangled.
    QJsonParseError error{};
    const QJsonDocument plain = QJsonDocument::fromJson(bytes, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << qPrintable(error.errorString());
    EXPECT_EQ(plain.object().value(QStringLiteral("name")).toString(), written.name);

    const LabelTemplate read = decodeLabelTemplate(bytes);
    expectSameTemplate(read, written);
    const auto &image = std::get<ImageProperties>(read.elements.at(1).kind);
    ASSERT_TRUE(image.imageData);
    EXPECT_EQ(image.imageData->size(), 259);
    EXPECT_EQ(image.imageData->at(0), '\0');
    // Written again, byte for byte the same.
    EXPECT_EQ(encodeLabelTemplate(read), bytes);
}

TEST(LabelTemplateJson, WritesKeysInFieldOrderPrettyPrinted)
{
    const QByteArray bytes = encodeLabelTemplate(workedExample());
    EXPECT_EQ(
        keysInOrder(bytes),
        (QStringList{"id",         "name",     "labelSize",   "widthInches", "heightInches", "labelShape",
                     "elements",   "id",       "kind",        "text",        "_0",           "content",
                     "fontFamily", "fontSize", "fontWeight",  "color",       "alignment",    "isVariable",
                     "frame",      "x",        "y",           "width",       "height",       "rotation",
                     "isLocked",   "zIndex",   "gridSpacing", "createdAt",   "updatedAt"}));
    EXPECT_TRUE(bytes.contains("\n  \"name\": \"Untitled\",\n"));
    EXPECT_TRUE(bytes.contains("\"id\": \"5E0C9A4B-7F21-4D3A-9B6E-2C81F04D7A19\""));
    EXPECT_TRUE(bytes.contains("\"x\": 40.5"));
    EXPECT_TRUE(bytes.contains("\"fontSize\": 14,"));
    EXPECT_TRUE(bytes.contains("\"zIndex\": 0\n"));
    EXPECT_TRUE(bytes.contains("\"createdAt\": \"2026-01-15T09:30:00Z\""));
    EXPECT_TRUE(bytes.contains("\"updatedAt\": \"2026-01-15T09:31:12Z\""));

    LabelTemplate empty = workedExample();
    empty.elements.clear();
    EXPECT_TRUE(encodeLabelTemplate(empty).contains("\"elements\": [],"));
}

TEST(LabelTemplateJson, ImageWithoutBytesLeavesTheKeyOutAndNullReadsAsNone)
{
    LabelTemplate t = workedExample();
    t.elements = {LabelElement{QUuid::createUuid(), ImageProperties{std::nullopt, ObjectFitValue::contain},
                               ElementFrame{1, 2, 60, 60}, 0, false, 0}};
    const QByteArray bytes = encodeLabelTemplate(t);
    EXPECT_FALSE(bytes.contains("imageData"));
    EXPECT_FALSE(std::get<ImageProperties>(decodeLabelTemplate(bytes).elements.at(0).kind).imageData);

    QJsonObject object = QJsonDocument::fromJson(bytes).object();
    editAt(object, {"elements", "0", "kind", "image", "_0"},
           [](QJsonObject &o) { o.insert(QStringLiteral("imageData"), QJsonValue::Null); });
    EXPECT_FALSE(
        std::get<ImageProperties>(decodeLabelTemplate(bytesOf(object)).elements.at(0).kind).imageData);
}

TEST(LabelTemplateJson, IgnoresUnknownKeysAndDoesNotWriteThemBack)
{
    QJsonObject object = exampleObject();
    object.insert(QStringLiteral("futureField"), 1);
    editAt(object, {"elements", "0", "frame"}, [](QJsonObject &o) { o.insert(QStringLiteral("depth"), 3); });
    // An unrelated key beside the one case key is no second case.
    editAt(object, {"elements", "0", "kind"}, [](QJsonObject &o) { o.insert(QStringLiteral("barcode"), 1); });
    const LabelTemplate read = decodeLabelTemplate(bytesOf(object));
    EXPECT_TRUE(std::holds_alternative<TextProperties>(read.elements.at(0).kind));
    const QByteArray again = encodeLabelTemplate(read);
    EXPECT_FALSE(again.contains("futureField"));
    EXPECT_FALSE(again.contains("depth"));
    EXPECT_FALSE(again.contains("barcode"));
}

TEST(LabelTemplateJson, AcceptsLowerCaseIdsLargestZIndexAndTheLargestLabel)
{
    QJsonObject object = exampleObject();
    object.insert(QStringLiteral("id"), QStringLiteral("5e0c9a4b-7f21-4d3a-9b6e-2c81f04d7a19"));
    editAt(object, {"labelSize"}, [](QJsonObject &o) { o.insert(QStringLiteral("widthInches"), 48); });
    QByteArray bytes = bytesOf(object);
    bytes.replace("\"zIndex\": 0", "\"zIndex\": 9223372036854775807");
    const LabelTemplate read = decodeLabelTemplate(bytes);
    EXPECT_EQ(read.id, workedExample().id);
    EXPECT_EQ(read.labelSize.widthInches, 48);
    EXPECT_EQ(read.elements.at(0).zIndex, std::numeric_limits<qint64>::max());
}

TEST(LabelTemplateJson, RaisesAGridFinerThanOnePointAndSaysSo)
{
    for (const double spacing : {0.5, 0.0, -8.0}) {
        QJsonObject object = exampleObject();
        object.insert(QStringLiteral("gridSpacing"), spacing);
        QStringList adjustments;
        EXPECT_EQ(decodeLabelTemplate(bytesOf(object), &adjustments).gridSpacing, 1.0);
        ASSERT_EQ(adjustments.size(), 1);
        EXPECT_TRUE(adjustments.first().startsWith(QStringLiteral("gridSpacing")))
            << qPrintable(adjustments.first());
    }
    QStringList none;
    EXPECT_EQ(decodeLabelTemplate(encodeLabelTemplate(workedExample()), &none).gridSpacing, 8.0);
    EXPECT_TRUE(none.isEmpty());
}

TEST(LabelTemplateJson, RefusesBadDocumentsNamingTheKeyAndReason)
{
    using Edit = std::function<void(QJsonObject &)>;
    auto at = [](QStringList path, Edit edit) {
        return [path, edit](QJsonObject &root) { editAt(root, path, edit); };
    };
    auto set = [](const char *key, QJsonValue value) {
        return Edit([key, value](QJsonObject &o) { o.insert(QString::fromLatin1(key), value); });
    };
    auto remove = [](const char *key) {
        return Edit([key](QJsonObject &o) { o.remove(QString::fromLatin1(key)); });
    };
    const QStringList text{"elements", "0", "kind", "text", "_0"};
    const QString kindMessage =
        QStringLiteral("elements[0].kind: Invalid number of keys found, expected one.");
    const QJsonObject imageKind{{"image", QJsonObject{{"_0", QJsonObject{{"objectFit", "contain"}}}}}};

    const struct
    {
        const char *what;
        Edit edit;
        QString message;
    } rows[] = {
        {"missing gridSpacing", remove("gridSpacing"), "gridSpacing: required key is missing"},
        {"missing frame.x", at({"elements", "0", "frame"}, remove("x")),
         "elements[0].frame.x: required key is missing"},
        {"missing _0", at({"elements", "0", "kind", "text"}, remove("_0")),
         "elements[0].kind.text._0: required key is missing"},
        {"name a number", set("name", 5), "name: expected a string"},
        {"elements an object", set("elements", QJsonObject{}), "elements: expected an array"},
        {"element a string", set("elements", QJsonArray{"x"}), "elements[0]: expected an object"},
        {"unknown shape", set("labelShape", "hexagon"), "labelShape: unknown value \"hexagon\""},
        {"unknown weight", at(text, set("fontWeight", "thin")), "fontWeight: unknown value \"thin\""},
        {"bad UUID", set("id", "5E0C9A4B-7F21-4D3A-9B6E-2C81F04D7A1"), "id: expected a UUID"},
        {"braced UUID", set("id", "{5E0C9A4B-7F21-4D3A-9B6E-2C81F04D7A19}"), "id: expected a UUID"},
        {"date alone", set("createdAt", "2026-01-15"), "createdAt: expected an internet date-time"},
        {"fractional date", set("updatedAt", "2026-01-15T09:31:12.5Z"),
         "updatedAt: expected an internet date-time"},
        {"zIndex 1.5", at({"elements", "0"}, set("zIndex", 1.5)), "elements[0].zIndex: expected an integer"},
        {"kind without a case", at({"elements", "0"}, set("kind", QJsonObject{{"other", 1}})), kindMessage},
        {"kind with two cases", at({"elements", "0", "kind"}, set("image", imageKind.value("image"))),
         kindMessage},
        {"unpadded Base64", at({"elements", "0"}, set("kind", imageKind)), ""},
        {"width 0", at({"labelSize"}, set("widthInches", 0)), "labelSize.widthInches: 0 is not above 0"},
        {"height over 48", at({"labelSize"}, set("heightInches", 48.5)),
         "labelSize.heightInches: 48.5 is not above 0"},
        {"font size 0", at(text, set("fontSize", 0)), "elements[0].kind.text._0.fontSize: 0 is not above 0"},
        {"font size 1001", at(text, set("fontSize", 1001)), "fontSize: 1001 is not above 0 and at most 1000"},
        {"bool as number", at({"elements", "0"}, set("isLocked", 0)),
         "elements[0].isLocked: expected a boolean"},
    };
    for (const auto &row : rows) {
        QJsonObject object = exampleObject();
        row.edit(object);
        QString message = row.message;
        if (message.isEmpty()) {
            // A valid image kind, then its data without the padding.
            editAt(object, {"elements", "0", "kind", "image", "_0"},
                   [](QJsonObject &o) { o.insert(QStringLiteral("imageData"), QStringLiteral("AAE")); });
            message = QStringLiteral("elements[0].kind.image._0.imageData: expected padded standard Base64");
        }
        try {
            decodeLabelTemplate(bytesOf(object));
            ADD_FAILURE() << row.what << ": read without complaint";
        } catch (const json::DecodeError &error) {
            EXPECT_TRUE(error.message().contains(message)) << row.what << ": " << qPrintable(error.message());
        }
    }

    for (const QByteArray &bad :
         {QByteArray("[]"), QByteArray("not json"), QByteArray(), QByteArray("{\"id\": 1} trailing")}) {
        EXPECT_THROW(decodeLabelTemplate(bad), json::DecodeError) << bad.constData();
    }
    // Base64 with a line break in it, and a whole template without padding on its image.
    QJsonObject object = exampleObject();
    editAt(object, {"elements", "0"}, [&](QJsonObject &o) { o.insert(QStringLiteral("kind"), imageKind); });
    editAt(object, {"elements", "0", "kind", "image", "_0"},
           [](QJsonObject &o) { o.insert(QStringLiteral("imageData"), QStringLiteral("AAAA\nAAAA")); });
    EXPECT_THROW(decodeLabelTemplate(bytesOf(object)), json::DecodeError);
}

TEST(LabelTemplateJson, RefusesToWriteWhatItWouldNotRead)
{
    const struct
    {
        const char *what;
        std::function<void(LabelTemplate &)> edit;
        QString message;
    } rows[] = {
        {"infinite frame", [](LabelTemplate &t) { t.elements[0].frame.width = INFINITY; },
         "elements[0].frame.width: inf is not a finite number"},
        {"NaN rotation", [](LabelTemplate &t) { t.elements[0].rotation = NAN; }, "elements[0].rotation"},
        {"NaN grid", [](LabelTemplate &t) { t.gridSpacing = NAN; }, "gridSpacing"},
        {"NaN width", [](LabelTemplate &t) { t.labelSize.widthInches = NAN; }, "labelSize.widthInches"},
        {"width 49", [](LabelTemplate &t) { t.labelSize.widthInches = 49; }, "labelSize.widthInches: 49"},
        {"font size 2000",
         [](LabelTemplate &t) { std::get<TextProperties>(t.elements[0].kind).fontSize = 2000; },
         "elements[0].kind.text._0.fontSize"},
        {"no date", [](LabelTemplate &t) { t.updatedAt = QDateTime(); }, "not a valid date"},
    };
    for (const auto &row : rows) {
        LabelTemplate t = workedExample();
        row.edit(t);
        try {
            encodeLabelTemplate(t);
            ADD_FAILURE() << row.what << ": written";
        } catch (const TemplateEncodeError &error) {
            EXPECT_TRUE(error.message().contains(row.message))
                << row.what << ": " << qPrintable(error.message());
        }
    }
}

TEST(LabelTemplateJson, NumbersReadBackToTheSameDouble)
{
    LabelTemplate t = workedExample();
    const double values[] = {0.1,  1.0 / 3.0, 1e-300, 123456789.123456789,
                             -0.0, 5e-324,    1e22,   47.99999999999999};
    t.elements.clear();
    for (const double value : values) {
        LabelElement element = textElement(value, -value);
        element.rotation = value;
        t.elements.append(element);
    }
    const LabelTemplate read = decodeLabelTemplate(encodeLabelTemplate(t));
    for (qsizetype i = 0; i < t.elements.size(); ++i) {
        EXPECT_EQ(read.elements.at(i).frame.x, values[i]);
        EXPECT_EQ(read.elements.at(i).rotation, values[i]);
    }
}
