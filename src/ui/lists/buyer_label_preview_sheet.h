#pragma once

#include "printing/label_content.h"
#include "printing/label_section_state.h"
#include "ui/widgets/label_page_column.h"

#include <QDialog>
#include <optional>

class QPushButton;
class QScrollArea;

namespace quill {

class AppState;
class LabelPageView;

// A buyer's packing slip as the saved packing-slip settings would print it: every page,
// top to bottom, each framed as its medium and fitted into 420 × 540 points. It shows;
// it does not print.
class BuyerLabelPreviewSheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BuyerLabelPreviewSheet)

public:
    static constexpr int kMinimumWidth = 420;
    static constexpr int kMinimumHeight = 450;

    // `content` none: a slip that cannot be made (no pages). Deletes itself when closed.
    BuyerLabelPreviewSheet(AppState &app, const QString &buyer, const std::optional<LabelContent> &content,
                           QWidget *parent = nullptr);

    // The packing-slip preview scale, shared with every packing-slip preview: 420 / width
    // and 540 / height of the label in points, whichever is smaller, at most 3.75.
    static double previewScale(const LabelSectionState &packingSlip);
    // The same for the packing-slip settings saved in `settings`.
    static double previewScale(Settings &settings);

    const QList<LabelPageView *> &pageViews() const { return m_pages->pageViews(); }
    QPushButton *closeButton() const { return m_close; }

private:
    LabelPageColumn *m_pages = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace quill
