#pragma once

#include "printing/label_content.h"

#include <QPointer>
#include <QWidget>

namespace quill {

class LabelAppearanceStore;
class LabelPageView;

// One label as it will print, at any scale: the first page of the content's pages
// with the appearance store's current font, logo and colour mode, drawn by the print
// layouts. No frame, border or padding; its size is the page's. A medium that
// cannot be laid out shows nothing.
class LabelPreviewView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelPreviewView)

public:
    LabelPreviewView(LabelContent content, LabelVariant style, LabelMedia media, Orientation orientation,
                     double scale, LabelAppearanceStore &store, QWidget *parent = nullptr);

    LabelPageView *pageView() const { return m_pageView; }

private:
    void rebuild();

    LabelContent m_content;
    LabelVariant m_style;
    LabelMedia m_media;
    Orientation m_orientation;
    double m_scale;
    QPointer<LabelAppearanceStore> m_store;
    LabelPageView *m_pageView;
};

} // namespace quill
