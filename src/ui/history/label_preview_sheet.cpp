#include "ui/history/label_preview_sheet.h"

#include "common/error.h"
#include "ui/history/history_texts.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/separator_line.h"
#include "ui/widgets/style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kDefaultInset = 16;

QList<AnyLabelView> pagesOf(const LabelContent &content, const LabelSectionState &state,
                            const LabelAppearance &appearance, double scale)
{
    try {
        return content.pages(state.selectedStyle, state.selectedMedia, state.selectedOrientation, appearance, scale);
    } catch (const Error &) {
        return {}; // a medium that cannot be drawn shows no page
    }
}

QVBoxLayout *sheetFrame(QDialog &sheet, const QString &title)
{
    auto *layout = new QVBoxLayout(&sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *header = new QHBoxLayout;
    header->setContentsMargins(kDefaultInset, kDefaultInset, kDefaultInset, kDefaultInset);
    auto *titleLabel = styledLabel(title, textFont(TextStyle::headline), primaryTextColor(), &sheet);
    titleLabel->setTextFormat(Qt::PlainText);
    header->addWidget(titleLabel);
    header->addStretch(1);
    auto *close = new QPushButton(QStringLiteral("Close"), &sheet);
    close->setObjectName(QStringLiteral("closeButton"));
    QObject::connect(close, &QPushButton::clicked, &sheet, &QDialog::reject);
    header->addWidget(close);
    layout->addLayout(header);
    layout->addWidget(separatorLine(&sheet));
    return layout;
}

} // namespace

LabelPreviewSheet::LabelPreviewSheet(const LabelContent &content, const LabelSectionState &labelState,
                                     const LabelAppearance &appearance, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("labelPreviewSheet"));
    setWindowTitle(QStringLiteral("Label Preview"));
    setMinimumSize(360, 300);
    QVBoxLayout *layout = sheetFrame(*this, QStringLiteral("Label Preview"));
    const double scale = labelPreviewScale(labelState.selectedMedia, labelState.selectedOrientation);
    const QList<AnyLabelView> pages = pagesOf(content, labelState, appearance, scale);
    if (!pages.isEmpty()) {
        m_page = new LabelPageView(this);
        m_page->setFrame(LabelPageFrame::forMedium(labelState.selectedMedia.isCircular));
        m_page->setPage(pages.first());
        auto *holder = new QHBoxLayout;
        holder->setContentsMargins(kDefaultInset, kDefaultInset, kDefaultInset, kDefaultInset);
        holder->addStretch(1);
        holder->addWidget(m_page);
        holder->addStretch(1);
        layout->addLayout(holder);
    }
    layout->addStretch(1);
}

PackingSlipPreviewSheet::PackingSlipPreviewSheet(const QString &buyer, const LabelContent &content,
                                                 const LabelSectionState &slipState,
                                                 const LabelAppearance &appearance, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("packingSlipPreviewSheet"));
    const QString title = QStringLiteral("Packing Slip \u2014 @") + buyer;
    setWindowTitle(title);
    setMinimumSize(420, 450);
    QVBoxLayout *layout = sheetFrame(*this, title);
    m_pages = new LabelPageColumn(metrics::regular, this);
    m_pages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const double scale = packingSlipPreviewScale(slipState.selectedMedia, slipState.selectedOrientation);
    m_pages->setPages(pagesOf(content, slipState, appearance, scale),
                      LabelPageFrame::forMedium(slipState.selectedMedia.isCircular));
    layout->addWidget(m_pages, 1);
}

} // namespace quill
