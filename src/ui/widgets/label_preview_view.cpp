#include "ui/widgets/label_preview_view.h"

#include "common/error.h"
#include "printing/label_appearance_store.h"
#include "ui/widgets/label_page_view.h"

#include <QLoggingCategory>
#include <QPainter>

namespace quill {

namespace {
Q_LOGGING_CATEGORY(lcLabelPreview, "app.quillmark.Quillmark.LabelPreview")
} // namespace

LabelPreview::LabelPreview(const LabelContent &content, LabelVariant style, const LabelMedia &media,
                           Orientation orientation, double scale, const LabelAppearance &appearance)
{
    try {
        const QList<AnyLabelView> pages = content.pages(style, media, orientation, appearance, scale);
        if (!pages.isEmpty())
            m_page = pages.first();
    } catch (const std::exception &error) {
        // The preview stays empty instead of taking the screen down.
        qCWarning(lcLabelPreview, "Label preview not drawn: %s", qUtf8Printable(errorMessage(error)));
    }
}

QSizeF LabelPreview::pageSize() const
{
    if (!m_page || labelPageSize(*m_page, 1).isEmpty())
        return {};
    return m_page->size();
}

QSize LabelPreview::size() const
{
    return m_page ? labelPageSize(*m_page, 1) : QSize(0, 0);
}

bool LabelPreview::paint(QPainter &painter) const
{
    if (!m_page)
        return false;
    LabelPageFrame frame;
    frame.shape = LabelPageFrame::Shape::rectangle;
    frame.outlineWidth = 0;
    return paintLabelPage(painter, *m_page, 1.0, frame);
}

LabelPreviewView::LabelPreviewView(LabelContent content, LabelVariant style, LabelMedia media,
                                   Orientation orientation, double scale, LabelAppearanceStore &store,
                                   QWidget *parent)
    : QWidget(parent), m_content(std::move(content)), m_style(style), m_media(std::move(media)),
      m_orientation(orientation), m_scale(scale), m_store(&store)
{
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
    m_preview = LabelPreview(m_content, m_style, m_media, m_orientation, m_scale, m_store->appearance());
    setFixedSize(m_preview.size());
    updateGeometry();
    update();
}

void LabelPreviewView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_preview.paint(painter);
}

} // namespace quill
