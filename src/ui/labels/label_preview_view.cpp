#include "ui/labels/label_preview_view.h"

#include "printing/label_appearance_store.h"
#include "ui/labels/label_card_types.h"
#include "ui/widgets/label_page_view.h"

#include <QVBoxLayout>

namespace quill {

LabelPreviewView::LabelPreviewView(LabelContent content, LabelVariant style, LabelMedia media,
                                   Orientation orientation, double scale, LabelAppearanceStore &store,
                                   QWidget *parent)
    : QWidget(parent), m_content(std::move(content)), m_style(style), m_media(std::move(media)),
      m_orientation(orientation), m_scale(scale), m_store(&store), m_pageView(new LabelPageView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pageView);
    // Clipped to the page's own rectangle and nothing drawn over it: the caller frames it.
    LabelPageFrame frame;
    frame.shape = LabelPageFrame::Shape::rectangle;
    frame.outlineWidth = 0;
    m_pageView->setFrame(frame);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    connect(&store, &LabelAppearanceStore::fontChoiceChanged, this, &LabelPreviewView::rebuild);
    connect(&store, &LabelAppearanceStore::colorModeChanged, this, &LabelPreviewView::rebuild);
    connect(&store, &LabelAppearanceStore::logoImageChanged, this, &LabelPreviewView::rebuild);
    rebuild();
}

void LabelPreviewView::rebuild()
{
    if (!m_store)
        return;
    const LabelAppearance appearance = m_store->appearance();
    const QList<AnyLabelView> pages = pagesOrNone(
        [&](double scale) { return m_content.pages(m_style, m_media, m_orientation, appearance, scale); },
        m_scale);
    m_pageView->setPage(pages.isEmpty() ? std::nullopt : std::optional<AnyLabelView>(pages.first()));
    adjustSize();
}

} // namespace quill
