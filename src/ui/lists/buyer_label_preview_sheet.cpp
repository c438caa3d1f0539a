#include "ui/lists/buyer_label_preview_sheet.h"

#include "app/app_state.h"
#include "printing/label_appearance_store.h"
#include "printing/print_service.h"
#include "ui/lists/live_row_labels.h"
#include "ui/lists/sheet_parts.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/metrics.h"

#include <QScrollArea>
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

    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("pages"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *column = new QWidget(scroll);
    auto *pagesLayout = new QVBoxLayout(column);
    pagesLayout->setContentsMargins(metrics::insets(metrics::large));
    pagesLayout->setSpacing(metrics::regular);

    const LabelSectionState settings = LabelSectionState::load(kPackingSlip, app.settings());
    if (content) {
        const QList<AnyLabelView> pages = previewPages(
            *content, settings.selectedStyle, settings.selectedMedia, settings.selectedOrientation,
            app.printService().appearanceStore().appearance(), previewScale(settings));
        for (const AnyLabelView &page : pages) {
            auto *view = new LabelPageView(column);
            view->setFrame(LabelPageFrame::forMedium(settings.selectedMedia.isCircular));
            view->setPage(page);
            pagesLayout->addWidget(view, 0, Qt::AlignHCenter);
            m_pages.append(view);
        }
    }
    pagesLayout->addStretch(1);
    scroll->setWidget(column);
    layout->addWidget(scroll, 1);
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
