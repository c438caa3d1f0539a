// Pictures in templates as a seller brings them, phone photos and all: what the print page
// carries, what the canvas keeps, and what the designer refuses when a picture is chosen
// or duplicated rather than when the label prints.
#include "designer/label_designer_state.h"
#include "designer/template_html_renderer.h"
#include "designer/template_image.h"
#include "designer_fixtures.h"
#include "heic_encoding.h"
#include "test_pictures.h"

#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

struct PagePictureFound
{
    QString mimeType;
    QByteArray bytes;
};

QList<PagePictureFound> picturesOn(const QString &html)
{
    static const QRegularExpression data(QStringLiteral("data:(image/[a-z]+);base64,([A-Za-z0-9+/=]+)"));
    QList<PagePictureFound> found;
    for (const QRegularExpressionMatch &match : data.globalMatch(html))
        found.append({match.captured(1), QByteArray::fromBase64(match.captured(2).toLatin1())});
    return found;
}

LabelElement picture(const QByteArray &bytes, ElementFrame frame, ObjectFitValue fit = ObjectFitValue::cover)
{
    return LabelElement{QUuid::createUuid(), ImageProperties{bytes, fit}, frame, 0, false, 0};
}

// A 4 × 6 inch shipping label with a phone photo in each half.
LabelTemplate twoPhotoTemplate(const QByteArray &first, const QByteArray &second)
{
    LabelTemplate t = blankTemplate(QStringLiteral("Two photos"));
    t.labelSize = LabelSize{4, 6};
    t.elements = {picture(first, {0, 0, 288, 216}), picture(second, {0, 216, 288, 216})};
    return t;
}

// `side` × `side` pixels of noise with a see-through strip: a PNG that barely compresses.
QByteArray noisyTransparentPng(int side, quint32 seed)
{
    QImage image(side, side, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x)
            line[x] = x < side * 9 / 10 ? random.generate() : qRgba(0, 0, 0, 0);
    }
    return encodedPhoto(image, "PNG", -1);
}

} // namespace

TEST(TemplatePicturesOnThePage, TwoPhonePhotosGoAtTheSizeTheirFramesNeed)
{
    const QByteArray first = phonePhotoJpeg(1);
    const QByteArray second = phonePhotoJpeg(2);
    for (const QByteArray &photo : {first, second}) {
        // As a phone saves them, and under the designer's 1 MB cap.
        ASSERT_GT(photo.size(), 780 * 1024);
        ASSERT_LT(photo.size(), 1024 * 1024);
    }
    const QString html = renderTemplateHTML(twoPhotoTemplate(first, second), TemplateVariables{});
    EXPECT_LT(html.toUtf8().size(), templateLimits::maxPageBytes * 2 / 3);
    const QList<PagePictureFound> pictures = picturesOn(html);
    ASSERT_EQ(pictures.size(), 2);
    for (const PagePictureFound &found : pictures) {
        EXPECT_EQ(found.mimeType, QStringLiteral("image/jpeg"));
        // A 4 × 3 inch frame at 300 dpi, which the 4:3 photo covers exactly.
        EXPECT_EQ(QImage::fromData(found.bytes).size(), QSize(1200, 900));
    }
    EXPECT_FALSE(LabelDesignerState::sizeProblem(twoPhotoTemplate(first, second)));
}

TEST(TemplatePicturesOnThePage, HeicBecomesJpegAndTransparencyStaysPng)
{
    const QByteArray heic = encodedAsHeic(photoPixels(QSize(1600, 1200), 9, 100));
    ASSERT_FALSE(heic.isEmpty());
    QImage logo(800, 800, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    for (int y = 200; y < 600; ++y)
        for (int x = 200; x < 600; ++x)
            logo.setPixel(x, y, qRgba(200, 0, 0, 255));
    const QByteArray png = encodedPhoto(logo, "PNG", -1);

    LabelTemplate t = blankTemplate();
    t.elements = {picture(heic, {0, 0, 72, 54}, ObjectFitValue::contain),
                  picture(png, {80, 0, 36, 36}, ObjectFitValue::fill)};
    const QList<PagePictureFound> pictures = picturesOn(renderTemplateHTML(t, TemplateVariables{}));
    ASSERT_EQ(pictures.size(), 2);
    EXPECT_EQ(pictures.at(0).mimeType, QStringLiteral("image/jpeg"));
    EXPECT_EQ(QImage::fromData(pictures.at(0).bytes).size(), QSize(300, 225));
    EXPECT_EQ(pictures.at(1).mimeType, QStringLiteral("image/png"));
    const QImage onPage = QImage::fromData(pictures.at(1).bytes);
    EXPECT_EQ(onPage.size(), QSize(150, 150));
    EXPECT_EQ(qAlpha(onPage.pixel(5, 5)), 0);
    EXPECT_EQ(qAlpha(onPage.pixel(75, 75)), 255);
}

TEST(TemplatePicturesOnTheCanvas, APhonePhotoIsKeptAtScreenSize)
{
    const QImage canvas = decodeTemplateImage(phonePhotoJpeg(3));
    EXPECT_EQ(canvas.size(), QSize(kCanvasPictureSide, kCanvasPictureSide * 3 / 4));
}

TEST(TemplatePicturesInTheDesigner, APictureThatWouldOverfillThePageIsRefusedWhenChosenOrDuplicated)
{
    // Each about 1 MB and drawn at the size it is stored: one fits the page, two do not.
    const QByteArray first = noisyTransparentPng(500, 1);
    const QByteArray second = noisyTransparentPng(500, 2);
    ASSERT_GT(first.size(), 850 * 1024);
    ASSERT_LT(first.size(), 1024 * 1024);
    LabelTemplate t = blankTemplate();
    t.labelSize = LabelSize{4, 4};
    const ElementFrame frame{0, 0, 120, 120};
    t.elements = {picture(first, frame), picture({}, {140, 0, 120, 120})};
    std::get<ImageProperties>(t.elements[1].kind).imageData.reset();
    LabelDesignerState state(t);

    EXPECT_FALSE(state.pictureProblem(t.elements.at(1).id, phonePhotoJpeg(4)));
    const std::optional<QString> tooMuch = state.pictureProblem(t.elements.at(1).id, second);
    ASSERT_TRUE(tooMuch.has_value());
    EXPECT_TRUE(tooMuch->contains(QStringLiteral("a label page may hold at most 2 MB")))
        << qPrintable(*tooMuch);
    const std::optional<QString> svg =
        state.pictureProblem(t.elements.at(1).id, QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"/>"));
    ASSERT_TRUE(svg.has_value());
    EXPECT_EQ(*svg, QStringLiteral("The file is not a PNG, JPEG, TIFF or HEIC picture."));

    QSignalSpy refused(&state, &LabelDesignerState::editRefused);
    state.setSelectedElementId(t.elements.at(0).id);
    state.duplicateSelected();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused.at(0).at(0).toString().startsWith(QStringLiteral("The picture was not duplicated.")));
    EXPECT_EQ(state.labelTemplate().elements.size(), 2);
    EXPECT_TRUE(state.undoStack().isEmpty());

    // A text element still duplicates, and so does a picture the page has room for.
    t.elements[0] = picture(encodedPhoto(photoPixels(QSize(60, 40), 5), "PNG", -1), frame);
    LabelDesignerState small(t);
    small.setSelectedElementId(t.elements.at(0).id);
    small.duplicateSelected();
    EXPECT_EQ(small.labelTemplate().elements.size(), 3);
}

TEST(TemplatePicturesInTheDesigner, ACopyThatWouldTakeTheFilePastItsLimitIsRefused)
{
    // Twenty-three pictures of 1 MB fit a template file; a twenty-fourth does not.
    LabelTemplate t = blankTemplate();
    for (int i = 0; i < 23; ++i) {
        QByteArray bytes(1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(i).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        t.elements.append(picture(bytes, {0, 0, 10, 10}));
    }
    LabelDesignerState state(t);
    QSignalSpy refused(&state, &LabelDesignerState::editRefused);
    state.setSelectedElementId(t.elements.at(0).id);
    state.duplicateSelected();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(
        refused.at(0).at(0).toString().contains(QStringLiteral("a template file may hold at most 32 MB")))
        << qPrintable(refused.at(0).at(0).toString());
    EXPECT_EQ(state.labelTemplate().elements.size(), 23);
}
