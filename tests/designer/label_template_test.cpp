#include "designer/label_template.h"
#include "designer_fixtures.h"

#include <gtest/gtest.h>
#include <limits>

using namespace quill;
using namespace quill::testing;

TEST(LabelSize, DisplayTextWritesWholeNumbersWithoutAPoint)
{
    const struct
    {
        LabelSize size;
        QString text;
    } rows[] = {
        {{2.25, 1.25}, QStringLiteral("2.25\" x 1.25\"")},
        {{4, 6}, QStringLiteral("4\" x 6\"")},
        {{2.5, 1}, QStringLiteral("2.5\" x 1\"")},
        {{0.1, 48}, QStringLiteral("0.1\" x 48\"")},
        {{3, 1.0 / 3.0}, QStringLiteral("3\" x 0.3333333333333333\"")},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.size.displayText(), row.text);
}

TEST(LabelTemplate, CanvasSizeTakesTheShorterSideForCirclesAndSquares)
{
    const struct
    {
        LabelSize size;
        LabelShape shape;
        QSizeF points;
    } rows[] = {
        {{2, 1}, LabelShape::rectangle, {144, 72}}, {{2, 1}, LabelShape::roundedRectangle, {144, 72}},
        {{2, 1}, LabelShape::oval, {144, 72}},      {{2, 1}, LabelShape::circle, {72, 72}},
        {{2, 1}, LabelShape::square, {72, 72}},     {{1.5, 3}, LabelShape::square, {108, 108}},
        {{2, 3}, LabelShape::circle, {144, 144}},   {{2.25, 1.25}, LabelShape::rectangle, {162, 90}},
    };
    for (const auto &row : rows) {
        LabelTemplate t;
        t.labelSize = row.size;
        t.labelShape = row.shape;
        EXPECT_EQ(t.canvasSize(), row.points) << qPrintable(rawValue(row.shape));
    }
}

TEST(LabelElement, EqualityCoversEveryFieldAndHashAgrees)
{
    const LabelElement element = fullTemplate().elements.at(0);
    LabelElement sameContentOtherId = element;
    sameContentOtherId.id = QUuid::createUuid();
    EXPECT_NE(element, sameContentOtherId);

    LabelElement copy = element;
    EXPECT_EQ(copy, element);
    EXPECT_EQ(qHash(copy), qHash(element));

    // 0 and -0 are one number.
    LabelElement zero = element;
    zero.frame.x = 0.0;
    zero.rotation = 0.0;
    LabelElement negativeZero = zero;
    negativeZero.frame.x = -0.0;
    negativeZero.rotation = -0.0;
    EXPECT_EQ(zero, negativeZero);
    EXPECT_EQ(qHash(zero), qHash(negativeZero));
    EXPECT_EQ(qHash(LabelSize{0.0, 1}), qHash(LabelSize{-0.0, 1}));

    copy.zIndex += 1;
    EXPECT_NE(copy, element);
}

TEST(ElementKind, DiffersByCaseAndByImageBytes)
{
    const ImageProperties none{std::nullopt, ObjectFitValue::contain};
    const ImageProperties empty{QByteArray(), ObjectFitValue::contain};
    const ImageProperties zeros{QByteArray(2, '\0'), ObjectFitValue::contain};
    EXPECT_EQ(ElementKind(none), ElementKind(none));
    EXPECT_NE(ElementKind(none), ElementKind(empty));
    EXPECT_NE(ElementKind(empty), ElementKind(zeros));
    EXPECT_EQ(qHash(ElementKind(zeros)),
              qHash(ElementKind(ImageProperties{QByteArray(2, '\0'), ObjectFitValue::contain})));
    EXPECT_NE(ElementKind(QRCodeProperties{}), ElementKind(TextProperties{}));
}

TEST(LabelEnumerations, RawValuesRoundTripInPickerOrder)
{
    QStringList raws;
    for (const LabelShape shape : allLabelShapes()) {
        raws << rawValue(shape);
        EXPECT_EQ(labelShapeFromRaw(rawValue(shape)), shape);
    }
    EXPECT_EQ(raws, (QStringList{"rectangle", "roundedRectangle", "circle", "oval", "square"}));

    raws.clear();
    for (const FontWeightValue weight : allFontWeights()) {
        raws << rawValue(weight);
        EXPECT_EQ(fontWeightFromRaw(rawValue(weight)), weight);
    }
    EXPECT_EQ(raws, (QStringList{"light", "regular", "medium", "semibold", "bold", "heavy", "black"}));

    raws.clear();
    for (const QRCorrectionLevel level : allCorrectionLevels()) {
        raws << rawValue(level);
        EXPECT_EQ(correctionLevelFromRaw(rawValue(level)), level);
    }
    EXPECT_EQ(raws, (QStringList{"L", "M", "Q", "H"}));
    EXPECT_EQ(allTextAlignments().size(), 3);
    EXPECT_EQ(allObjectFits().size(), 3);
    EXPECT_EQ(textAlignmentFromRaw(QStringLiteral("trailing")), TextAlignmentValue::trailing);
    EXPECT_EQ(objectFitFromRaw(QStringLiteral("fill")), ObjectFitValue::fill);

    for (const QString &unknown : {QStringLiteral("Rectangle"), QStringLiteral(""), QStringLiteral("m")}) {
        EXPECT_FALSE(labelShapeFromRaw(unknown));
        EXPECT_FALSE(correctionLevelFromRaw(unknown));
    }
}
