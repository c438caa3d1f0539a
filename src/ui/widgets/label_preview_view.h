#pragma once

#include "printing/label_content.h"
#include "printing/layouts/any_label_view.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class QPainter;

namespace quill {

class LabelAppearanceStore;
struct LabelAppearance;

// One label as it will print, at any scale: the first page of the content's pages,
// laid out by the print layouts with an appearance's font, logo and colour mode. It
// paints clipped to its own rectangle, with no frame, border or padding: the caller
// frames it. A medium that cannot be laid out gives no page and paints nothing.
// LabelPreviewView shows one; list rows paint one without a widget each.
class LabelPreview
{
public:
    LabelPreview() = default;
    LabelPreview(const LabelContent &content, LabelVariant style, const LabelMedia &media,
                 Orientation orientation, double scale, const LabelAppearance &appearance);

    const std::optional<AnyLabelView> &page() const { return m_page; }
    // The drawing's size in points; empty without a page.
    QSizeF pageSize() const;
    // The whole pixels it takes.
    QSize size() const;
    // Paints with its top left at the painter's origin; false when nothing was painted.
    bool paint(QPainter &painter) const;

private:
    std::optional<AnyLabelView> m_page;
};

// A LabelPreview as a widget of the preview's size, drawn anew when the appearance
// store's font, logo or colour mode changes.
class LabelPreviewView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelPreviewView)

public:
    LabelPreviewView(LabelContent content, LabelVariant style, LabelMedia media, Orientation orientation,
                     double scale, LabelAppearanceStore &store, QWidget *parent = nullptr);

    const LabelPreview &preview() const { return m_preview; }

    QSize sizeHint() const override { return m_preview.size(); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void rebuild();

    LabelContent m_content;
    LabelVariant m_style;
    LabelMedia m_media;
    Orientation m_orientation;
    double m_scale;
    QPointer<LabelAppearanceStore> m_store;
    LabelPreview m_preview;
};

} // namespace quill
