#include "ui/labels/label_preview_modal.h"

#include "ui/labels/label_card_widgets.h"
#include "ui/labels/label_preview_scales.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/spinner.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace quill {

LabelPreviewModal::LabelPreviewModal(PageBuilder pageBuilder, LabelMedia media, Orientation orientation,
                                     std::function<void()> onDismiss, QPointer<LabelTestPrinter> printer,
                                     LabelTestPrintReader onPrint, QWidget *parent)
    : QDialog(parent), m_pageBuilder(std::move(pageBuilder)), m_media(std::move(media)),
      m_orientation(orientation), m_onDismiss(std::move(onDismiss)), m_printer(std::move(printer)),
      m_onPrint(std::move(onPrint))
{
    setWindowTitle(tr("Label Preview"));
    setMinimumSize(500, 400);
    fillBackground(this, appBackgroundColor());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(metrics::insets(metrics::large));
    header->setSpacing(metrics::small);
    header->addWidget(styledLabel(tr("Label Preview"), textFont(TextStyle::headline), primaryTextColor()));
    m_pageCount = styledLabel(QString(), textFont(TextStyle::subheadline), secondaryTextColor());
    header->addWidget(m_pageCount);
    header->addStretch(1);
    if (m_printer && m_onPrint) {
        m_printButton = new QPushButton(symbolIcon(QStringLiteral("printer")), tr("Test Print"), this);
        makeSmallBordered(m_printButton);
        connect(m_printButton, &QPushButton::clicked, this, &LabelPreviewModal::testPrint);
        header->addWidget(m_printButton);
        m_spinner = new Spinner(Spinner::kSmall, this);
        m_spinner->hide();
        header->addWidget(m_spinner);
    }
    m_closeButton = new QPushButton(tr("Close"), this);
    makeSmallBordered(m_closeButton);
    connect(m_closeButton, &QPushButton::clicked, this, [this] {
        QPointer<LabelPreviewModal> self(this);
        if (m_onDismiss)
            m_onDismiss();
        if (self)
            accept();
    });
    header->addWidget(m_closeButton);
    layout->addLayout(header);
    layout->addWidget(dividerLine(this));

    m_pages = new LabelPageColumn(metrics::xxLarge, this);
    fillBackground(m_pages->column(), appBackgroundColor());
    // The sheet opens on an empty column that reload() fills, now and whenever asked.
    m_pages->setPages({}, LabelPageFrame());
    layout->addWidget(m_pages, 1);

    reload();
}

LabelPreviewModal::~LabelPreviewModal() = default;

double LabelPreviewModal::scale() const
{
    return previewModalScale(m_media, m_orientation);
}

void LabelPreviewModal::reload()
{
    const QList<AnyLabelView> pages = pagesOrNone(m_pageBuilder, scale());
    const qsizetype count = pages.size();
    m_pageCount->setText(count >= 2 ? tr("(%1 pages)").arg(count) : QString());
    m_pageCount->setVisible(count >= 2);

    LabelPageFrame frame;
    frame.shape = LabelPageFrame::Shape::rectangle;
    m_pages->setPages(pages, frame, true);
}

void LabelPreviewModal::setPrinting(bool printing)
{
    m_isPrinting = printing;
    if (m_printButton)
        m_printButton->setVisible(!printing);
    if (m_spinner)
        m_spinner->setVisible(printing);
}

void LabelPreviewModal::testPrint()
{
    if (!m_onPrint || m_isPrinting)
        return;
    setPrinting(true);
    // The print outlives a closed sheet; only a sheet still there hears that it ended.
    runCardPrint(this, m_printer, m_onPrint, [this] { setPrinting(false); });
}

} // namespace quill
