#include "ui/lists/auction_label_preview_sheet.h"

#include "app/app_state.h"
#include "printing/label_appearance_store.h"
#include "printing/print_service.h"
#include "ui/lists/live_row_labels.h"
#include "ui/lists/sheet_parts.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/metrics.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quill {

AuctionLabelPreviewSheet::AuctionLabelPreviewSheet(AppState &app, const CapturedAuction &auction,
                                                   QWidget *parent)
    : QDialog(parent)
{
    QVBoxLayout *layout =
        setUpSheet(*this, QStringLiteral("auctionLabelPreviewSheet"), QStringLiteral("Label Preview"),
                   QSize(kMinimumWidth, kMinimumHeight), &m_close);

    const LabelSectionState settings = LabelSectionState::load(0, app.settings());
    const QList<AnyLabelView> pages =
        previewPages(winnerPreviewContent(auction), settings.selectedStyle, settings.selectedMedia,
                     settings.selectedOrientation, app.printService().appearanceStore().appearance(),
                     previewScale(settings));
    if (!pages.isEmpty()) {
        m_page = new LabelPageView(this);
        m_page->setObjectName(QStringLiteral("labelPage"));
        m_page->setScale(1);
        m_page->setFrame(LabelPageFrame::forMedium(settings.selectedMedia.isCircular));
        m_page->setPage(pages.first());
        auto *padded = new QHBoxLayout;
        padded->setContentsMargins(metrics::insets(metrics::large));
        padded->addWidget(m_page, 0, Qt::AlignHCenter);
        layout->addLayout(padded);
    }
    layout->addStretch(1);
}

double AuctionLabelPreviewSheet::previewScale(const LabelSectionState &winnerLabel)
{
    return fitLabelScale(winnerLabel.selectedMedia, winnerLabel.selectedOrientation, 420, 540, 3.75);
}

} // namespace quill
