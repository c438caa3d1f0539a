#pragma once

#include "capture/captured_auction.h"
#include "printing/label_section_state.h"

#include <QDialog>

class QPushButton;

namespace quill {

class AppState;
class LabelPageView;

// The winner label of a Sold row as the seller's saved winner-label settings would
// print it: the first page, framed as its medium, fitted into 420 × 540 points. It
// shows; it does not print.
class AuctionLabelPreviewSheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AuctionLabelPreviewSheet)

public:
    static constexpr int kMinimumWidth = 420;
    static constexpr int kMinimumHeight = 450;

    // Deletes itself when closed.
    AuctionLabelPreviewSheet(AppState &app, const CapturedAuction &auction, QWidget *parent = nullptr);

    // 420 / width and 540 / height of the label in points, whichever is smaller, at most 3.75.
    static double previewScale(const LabelSectionState &winnerLabel);

    // Null when the medium gives no page.
    LabelPageView *pageView() const { return m_page; }
    QPushButton *closeButton() const { return m_close; }

private:
    LabelPageView *m_page = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace quill
