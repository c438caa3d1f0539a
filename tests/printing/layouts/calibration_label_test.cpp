#include "common/error.h"
#include "label_test_support.h"
#include "printing/layouts/calibration_label_view.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

TEST(CalibrationLabel, CornerMarksAndSizeLineOfA2By1Label)
{
    const CalibrationLabelView view(144, 72, false);
    const QList<QLineF> marks = view.cornerMarkSegments();
    ASSERT_EQ(marks.size(), 8);
    QList<QPointF> vertices;
    for (qsizetype i = 0; i < marks.size(); i += 2) {
        EXPECT_EQ(marks[i].p1(), marks[i + 1].p1());
        EXPECT_DOUBLE_EQ(marks[i].length(), 7.2);
        vertices.append(marks[i].p1());
    }
    EXPECT_EQ(vertices, QList<QPointF>({{9, 9}, {135, 9}, {9, 63}, {135, 63}}));
    EXPECT_EQ(view.sizeLine(), QStringLiteral("2.00\" \u00D7 1.00\""));
    EXPECT_EQ(CalibrationLabelView(72, 144, false).sizeLine(), QStringLiteral("1.00\" \u00D7 2.00\""));
    EXPECT_EQ(view.crossLines(), QList<QLineF>({QLineF(0, 36, 144, 36), QLineF(72, 0, 72, 72)}));

    const auto layout = view.layout();
    EXPECT_EQ(layout.element(QStringLiteral("product"))->lines, QStringList{QStringLiteral("Quillmark")});
    EXPECT_EQ(layout.element(QStringLiteral("title"))->lines, QStringList{QStringLiteral("CALIBRATION")});
    EXPECT_NEAR(layout.element(QStringLiteral("block"))->frame.center().x(), 72, 1e-6);
    EXPECT_NEAR(layout.element(QStringLiteral("block"))->frame.center().y(), 36, 1e-6);
}

TEST(CalibrationLabel, MarksArePrintedBlackAt300Dpi)
{
    const QImage image = CalibrationLabelView(144, 72, false).layout().toImage(300);
    ASSERT_EQ(image.size(), QSize(600, 300));
    // On each arm of each mark, and white just outside the vertex.
    for (const QPointF &onArm :
         {QPointF(12.6, 9), QPointF(9, 12.6), QPointF(131.4, 9), QPointF(135, 12.6), QPointF(12.6, 63),
          QPointF(9, 59.4), QPointF(131.4, 63), QPointF(135, 59.4)}) {
        const QPoint p = pixelAt(onArm.x(), onArm.y());
        EXPECT_TRUE(isInk(image.pixel(p))) << onArm.x() << "," << onArm.y();
    }
    for (const QPointF &outside :
         {QPointF(6, 6), QPointF(138, 6), QPointF(6, 66), QPointF(138, 66), QPointF(20, 9)}) {
        const QPoint p = pixelAt(outside.x(), outside.y());
        EXPECT_TRUE(isWhite(image.pixel(p))) << outside.x() << "," << outside.y();
    }
    // The centre cross reaches every edge.
    EXPECT_TRUE(hasInk(image, QRectF(0, 35.5, 2, 1)));
    EXPECT_TRUE(hasInk(image, QRectF(71.5, 70, 1, 2)));
}

TEST(CalibrationLabel, RoundLabelHasNoMarksAndIsClippedToItsCircle)
{
    const CalibrationLabelView view(144, 144, true);
    EXPECT_TRUE(view.cornerMarkSegments().isEmpty());
    const QImage image = view.layout().toImage(300);
    // Outside the circle nothing is drawn at all; inside, the cross and white.
    EXPECT_EQ(qAlpha(image.pixel(pixelAt(3, 3))), 0);
    EXPECT_EQ(qAlpha(image.pixel(pixelAt(141, 141))), 0);
    EXPECT_EQ(qAlpha(image.pixel(pixelAt(9, 9))), 0); // where a corner mark would be
    EXPECT_TRUE(isWhite(image.pixel(pixelAt(40, 40))));
    EXPECT_TRUE(hasInk(image, QRectF(71.5, 1, 1, 3))); // the cross at the top of the circle

    // The text block is outlined by a circle: ink on its rim at 45°, inside the label.
    const QRectF block = view.layout().element(QStringLiteral("block"))->frame;
    const qreal radius = std::hypot(block.width(), block.height()) / 2;
    const QPointF rim = block.center() + QPointF(radius, -radius) / std::sqrt(2.0);
    EXPECT_TRUE(hasInk(image, QRectF(rim - QPointF(0.8, 0.8), QSizeF(1.6, 1.6))));
}

TEST(CalibrationLabel, TinyLabelsStillGetAllEightSegments)
{
    const CalibrationLabelView view(30, 30, false);
    const QList<QLineF> marks = view.cornerMarkSegments();
    ASSERT_EQ(marks.size(), 8);
    // Top-left's horizontal arm runs past top-right's vertex: the marks cross.
    EXPECT_GT(marks[0].p2().x(), marks[2].p2().x());
    EXPECT_NO_THROW(view.layout().toImage(300));
}

TEST(CalibrationLabel, RefusesSizesThatCannotBeDrawn)
{
    EXPECT_THROW(CalibrationLabelView(std::nan(""), 72, false), Error);
    EXPECT_THROW(CalibrationLabelView(144, -72, false), Error);
    EXPECT_THROW(CalibrationLabelView(144, 72, false, std::numeric_limits<qreal>::infinity()), Error);
}
