#include "printing/label_bitmap_pipeline.h"
#include "printing/label_content.h"
#include "ui/widgets/label_page_view.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace quill {
namespace {

AnyLabelView winnerPage(const LabelMedia &media, Orientation orientation, double scale = 1.0)
{
    const LabelContent content = LabelContent::individual(QStringLiteral("ann"), QStringLiteral("$12.50"), 7, 3,
                                                          QStringLiteral("Holo Charizard"), QStringLiteral("Friday"));
    return content.pages(LabelVariant::bold, media, orientation, LabelAppearance{}, scale).first();
}

// The view at print resolution on white, pixel for pixel.
QImage viewAtPrintResolution(LabelPageView &view)
{
    const qreal ratio = kLabelDotsPerInch / 72.0;
    QImage image(QSize(int(std::ceil(view.width() * ratio)), int(std::ceil(view.height() * ratio))),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    view.render(&image, {}, {}, QWidget::RenderFlags());
    image.setDevicePixelRatio(1);
    return image;
}

TEST(LabelPageViewTest, APlainPageIsTheSameBitmapAsThePrint)
{
    for (const Orientation orientation : {Orientation::landscape, Orientation::portrait}) {
        const LabelMedia media = LabelMedia::rect1x2();
        LabelPageView view;
        view.setPage(winnerPage(media, orientation));
        LabelPageFrame frame;
        frame.shape = LabelPageFrame::Shape::rectangle;
        frame.outlineWidth = 0;
        view.setFrame(frame);
        const QImage print = renderLabelImage(*view.page(), labelSizeInches(media, orientation));
        EXPECT_EQ(viewAtPrintResolution(view).convertToFormat(QImage::Format_RGB32),
                  print.convertToFormat(QImage::Format_RGB32))
            << int(orientation);
    }
}

TEST(LabelPageViewTest, SizeFollowsPageAndScaleAndIsEmptyWithoutAPage)
{
    LabelPageView view;
    EXPECT_EQ(view.sizeHint(), QSize(0, 0));
    view.setPage(winnerPage(LabelMedia::rect1x2(), Orientation::landscape));
    EXPECT_EQ(view.sizeHint(), QSize(144, 72));
    view.setScale(0.5);
    EXPECT_EQ(view.size(), QSize(72, 36));
    view.setScale(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(view.sizeHint(), QSize(0, 0));
}

TEST(LabelPageViewTest, ACircleLeavesTheCornersUntouchedAndThePageDrawsInside)
{
    const LabelMedia media = LabelMedia::circle2();
    const AnyLabelView page = winnerPage(media, Orientation::portrait);
    QImage image(page.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    EXPECT_TRUE(paintLabelPage(painter, page, 1.0, LabelPageFrame::forMedium(true)));
    painter.end();
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(image.pixel(image.width() - 2, image.height() - 2)), 0);
    EXPECT_GT(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 0);
}

} // namespace
} // namespace quill
