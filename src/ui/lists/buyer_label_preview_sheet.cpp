#include "ui/lists/buyer_label_preview_sheet.h"

#include "app/app_state.h"
#include "printing/label_appearance_store.h"
#include "printing/print_service.h"
#include "ui/lists/live_row_labels.h"
#include "ui/lists/sheet_parts.h"
#include "ui/widgets/metrics.h"

#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kPackingSlip = 2;

} // namespace

BuyerLabelPreviewSheet::BuyerLabelPreviewSheet(AppState &app, const QString &buyer,
                                               const std::optional<LabelContent> &content, QWidget *parent)
    : QDialog(parent)
{
    QVBoxLayout *layout = setUpSheet(*this, QStringLiteral("buyerLabelPreviewSheet"),
                                     QStringLiteral("Label Preview — @") + buyer,
                                     QSize(kMinimumWidth, kMinimumHeight), &m_close);

    m_pages = new LabelPageColumn(metrics::regular, this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const LabelSectionState settings = LabelSectionState::load(kPackingSlip, app.settings());
    if (content) {
        m_pages->setPages(previewPages(*content, settings.selectedStyle, settings.selectedMedia,
                                       settings.selectedOrientation,
                                       app.printService().appearanceStore().appearance(), previewScale(settings)),
                          LabelPageFrame::forMedium(settings.selectedMedia.isCircular));
    } else {
        m_pages->setPages({}, LabelPageFrame());
    }
    layout->addWidget(m_pages, 1);
    const QWidget *column = m_pages->column();
    // Tall enough for a fitted page without scrolling, when the screen has the room.
    resize(std::max(kMinimumWidth, column->sizeHint().width() + 24),
           std::max(kMinimumHeight, std::min(column->sizeHint().height() + 80, 720)));
}

double BuyerLabelPreviewSheet::previewScale(const LabelSectionState &packingSlip)
{
    return fitLabelScale(packingSlip.selectedMedia, packingSlip.selectedOrientation, 420, 540, 3.75);
}

double BuyerLabelPreviewSheet::previewScale(Settings &settings)
{
    return previewScale(LabelSectionState::load(kPackingSlip, settings));
}

} // namespace quill
