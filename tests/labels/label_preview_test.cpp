#include "labels_fixture.h"
#include "ui/labels/consolidated_label_section.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/labels/label_preview_modal.h"
#include "ui/labels/label_samples.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/label_preview_view.h"

#include <QLabel>
#include <QPainter>

namespace quill::testing {
namespace {

// A packing slip that fills exactly two pages on this medium and orientation.
LabelContent twoPageSlip(const LabelMedia &media, Orientation orientation)
{
    const QList<GroupedItem> probe(200,
                                   GroupedItem{1, QStringLiteral("Sealed Pack"), QStringLiteral("5.00")});
    const qsizetype perPage = GroupedLabelView::paginate(probe, LabelVariant::bold,
                                                         labelSizeInches(media, orientation).height() * 72)
                                  .first()
                                  .size();
    QList<GroupedItem> items;
    for (int i = 0; i <= perPage; ++i)
        items.append({i + 1, QStringLiteral("Item %1").arg(i + 1), QStringLiteral("5.00")});
    return LabelContent::grouped(QStringLiteral("cardshark_22"), items, Decimal(5 * int(items.size())),
                                 QStringLiteral("Test Show"));
}

// The page on white at its own size, painted through the kit with this frame.
QImage paintedPage(const AnyLabelView &page, QSize size, const LabelPageFrame &frame)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintLabelPage(painter, page, 1.0, frame);
    painter.end();
    return image;
}

QImage widgetOnWhite(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

TEST_F(LabelCardsTest, PreviewMatchesPrint)
{
    const QList<LabelMedia> media{LabelMedia::rect1x2(), LabelMedia::circle2(), LabelMedia::shipping4x6()};
    for (const LabelMedia &medium : media) {
        const Orientation orientation = Orientation::portrait;
        const QList<std::pair<const char *, LabelContent>> contents{
            {"winner", LabelSamples::winner()},
            {"box", LabelSamples::box()},
            {"slip", twoPageSlip(medium, orientation)},
        };
        for (const auto &[what, content] : contents) {
            SCOPED_TRACE(::testing::Message() << what << " on " << qPrintable(medium.id));
            const QList<AnyLabelView> pages =
                content.pages(LabelVariant::classic, medium, orientation, m_appearance.appearance(), 1.0);
            if (std::string_view(what) == "slip") {
                ASSERT_EQ(pages.size(), 2);
            }
            LabelPreviewView view(content, LabelVariant::classic, medium, orientation, 1.0, m_appearance);
            view.show();
            const QSizeF points = labelSizeInches(medium, orientation) * 72;
            EXPECT_EQ(view.size(), points.toSize());
            const QImage print = renderLabelImage(pages.first(), labelSizeInches(medium, orientation));
            EXPECT_EQ(renderAtPrintResolution(view), print.convertToFormat(QImage::Format_RGB32));
        }
    }
}

TEST_F(LabelCardsTest, PreviewRedrawsWithTheAppearanceAndSurvivesAnUnusableMedium)
{
    const LabelMedia medium = LabelMedia::rect1x2();
    LabelPreviewView view(LabelSamples::winner(), LabelVariant::bold, medium, Orientation::landscape, 1.0,
                          m_appearance);
    view.adjustSize();
    const QImage before = widgetOnWhite(view);
    m_appearance.setFontChoice(LabelFontChoice::courier);
    ASSERT_EQ(view.preview().page()->as<IndividualLabelView>()->appearance.fontChoice,
              LabelFontChoice::courier);
    EXPECT_NE(widgetOnWhite(view), before);

    // A custom size nobody can lay out: no page, no crash.
    const LabelMedia huge{QStringLiteral("huge"), 1e9, 2, false, std::nullopt};
    LabelPreviewView broken(LabelSamples::winner(), LabelVariant::bold, huge, Orientation::landscape, 1.0,
                            m_appearance);
    EXPECT_FALSE(broken.preview().page().has_value());
    EXPECT_EQ(broken.sizeHint(), QSize(0, 0));
}

TEST_F(LabelCardsTest, CardThumbnailsAndModalPagesArePrintPagesAtTheirScales)
{
    m_model.update(LabelKind::winner, [](LabelSectionState &s) {
        s.selectedMedia = LabelMedia::circle2();
        s.selectedOrientation = Orientation::portrait;
    });
    m_appearance.setStyle(LabelVariant::minimal);
    ConsolidatedLabelSection card(m_model, {}, m_media, m_appearance, *m_settings);
    card.resize(700, 400);
    card.show();
    const double scale = 200.0 / 144.0;
    EXPECT_DOUBLE_EQ(card.controller().thumbnailScale(ConsolidatedLabelController::Thumbnail::winner), scale);
    const AnyLabelView expected = LabelSamples::winner()
                                      .pages(LabelVariant::minimal, LabelMedia::circle2(),
                                             Orientation::portrait, m_appearance.appearance(), scale)
                                      .first();
    LabelPageView *thumbnail = card.winnerThumbnail()->pageView();
    EXPECT_EQ(thumbnail->size(), QSize(200, 200));
    EXPECT_EQ(widgetOnWhite(*thumbnail),
              paintedPage(expected, thumbnail->size(), LabelPageFrame::forMedium(true)));

    const LabelMedia letter = LabelMedia::letter();
    const LabelContent slip = twoPageSlip(letter, Orientation::portrait);
    LabelPreviewModal modal(
        [&](double s) {
            return slip.pages(LabelVariant::bold, letter, Orientation::portrait, LabelAppearance{}, s);
        },
        letter, Orientation::portrait, {}, {}, {});
    ASSERT_EQ(modal.pageViews().size(), 2);
    EXPECT_DOUBLE_EQ(modal.scale(), 400.0 / 612.0);
    LabelPageFrame frame;
    frame.shape = LabelPageFrame::Shape::rectangle;
    const QList<AnyLabelView> pages =
        slip.pages(LabelVariant::bold, letter, Orientation::portrait, LabelAppearance{}, modal.scale());
    for (int i = 0; i < 2; ++i) {
        LabelPageView *page = modal.pageViews().at(i);
        EXPECT_EQ(widgetOnWhite(*page), paintedPage(pages.at(i), page->size(), frame)) << i;
    }
    EXPECT_EQ(modal.pageCountLabel()->text(), QStringLiteral("(2 pages)"));
}

} // namespace
} // namespace quill::testing
