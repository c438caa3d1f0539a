#pragma once

#include "printing/label_appearance.h"
#include "printing/label_content.h"
#include "printing/label_section_state.h"
#include "ui/widgets/label_page_column.h"

#include <QDialog>

namespace quill {

class LabelPageView;

// A winner label as it will print: its first page at the preview scale, clipped to
// the label's outline.
class LabelPreviewSheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelPreviewSheet)

public:
    LabelPreviewSheet(const LabelContent &content, const LabelSectionState &labelState,
                      const LabelAppearance &appearance, QWidget *parent = nullptr);

    // Null when the label has no page to show.
    LabelPageView *pageView() const { return m_page; }

private:
    LabelPageView *m_page = nullptr;
};

// A buyer's packing slip as it will print: every page, one under another, with the
// saved packing-slip settings.
class PackingSlipPreviewSheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PackingSlipPreviewSheet)

public:
    PackingSlipPreviewSheet(const QString &buyer, const LabelContent &content, const LabelSectionState &slipState,
                            const LabelAppearance &appearance, QWidget *parent = nullptr);

    const QList<LabelPageView *> &pageViews() const { return m_pages->pageViews(); }

private:
    LabelPageColumn *m_pages;
};

} // namespace quill
