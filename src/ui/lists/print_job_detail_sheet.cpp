#include "ui/lists/print_job_detail_sheet.h"

#include "ui/lists/live_list_texts.h"
#include "ui/lists/live_row_labels.h"
#include "ui/lists/sheet_parts.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/style.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kRowLabelWidth = 70;

QString statusText(const PrintJob::Status &status)
{
    switch (status.kind) {
    case PrintJob::Status::Kind::queued:
        return QStringLiteral("Queued");
    case PrintJob::Status::Kind::printing:
        return QStringLiteral("Printing");
    case PrintJob::Status::Kind::done:
        return QStringLiteral("Done");
    case PrintJob::Status::Kind::error:
        return QStringLiteral("Error");
    }
    return {};
}

QString plainNumber(qint64 value)
{
    return QString::number(value);
}

// Rows of text as the sheet shows them: the label right-aligned in a 70-point column,
// the value beside it, both plain text.
void addRows(QGridLayout &grid, const PrintJobDetailSheet::Rows &rows, QWidget *parent)
{
    for (const auto &[label, value] : rows) {
        const int row = grid.rowCount();
        QLabel *name = styledLabel(label, textFont(TextStyle::caption), secondaryTextColor(), parent);
        name->setTextFormat(Qt::PlainText);
        name->setFixedWidth(kRowLabelWidth);
        name->setAlignment(Qt::AlignRight | Qt::AlignTop);
        QLabel *text = styledLabel(oneLine(value), textFont(TextStyle::caption, QFont::Medium),
                                   primaryTextColor(), parent);
        text->setTextFormat(Qt::PlainText);
        text->setObjectName(QStringLiteral("detail") + label);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid.addWidget(name, row, 0, Qt::AlignTop);
        grid.addWidget(text, row, 1, Qt::AlignTop);
    }
}

} // namespace

PrintJobDetailSheet::PrintJobDetailSheet(PrintJob job, const LabelAppearance &appearance, QWidget *parent)
    : QDialog(parent), m_job(std::move(job))
{
    QVBoxLayout *layout =
        setUpSheet(*this, QStringLiteral("printJobDetailSheet"), QStringLiteral("Print Job Detail"),
                   QSize(kMinimumWidth, kMinimumHeight), &m_close);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(metrics::insets(metrics::large));
    body->setSpacing(metrics::xxLarge);
    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("detailRows"));
    left->setMinimumWidth(200);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(metrics::regular);
    auto *jobGrid = new QGridLayout;
    jobGrid->setHorizontalSpacing(metrics::small);
    jobGrid->setVerticalSpacing(metrics::regular);
    addRows(*jobGrid, jobRows(m_job), left);
    leftLayout->addLayout(jobGrid);
    leftLayout->addWidget(sheetDivider(left));
    auto *contentGrid = new QGridLayout;
    contentGrid->setHorizontalSpacing(metrics::small);
    contentGrid->setVerticalSpacing(metrics::regular);
    addRows(*contentGrid, contentRows(m_job.content), left);
    leftLayout->addLayout(contentGrid);
    leftLayout->addStretch(1);
    body->addWidget(left, 0, Qt::AlignTop);

    QFrame *rule = sheetDivider(this);
    rule->setFixedHeight(QWIDGETSIZE_MAX);
    rule->setMinimumHeight(0);
    rule->setFixedWidth(1);
    body->addWidget(rule);

    auto *right = new QVBoxLayout;
    right->setSpacing(metrics::small);
    right->addWidget(
        styledLabel(QStringLiteral("Preview"), textFont(TextStyle::subheadline), secondaryTextColor(), this),
        0, Qt::AlignHCenter);
    const QList<AnyLabelView> pages =
        previewPages(m_job.content, m_job.style, m_job.labelMedia, m_job.orientation, appearance,
                     previewScale(m_job.labelMedia, m_job.orientation));
    if (!pages.isEmpty()) {
        m_page = new LabelPageView(this);
        m_page->setObjectName(QStringLiteral("labelPage"));
        m_page->setFrame(LabelPageFrame::forMedium(m_job.labelMedia.isCircular));
        m_page->setPage(pages.first());
        right->addWidget(m_page, 0, Qt::AlignHCenter);
    }
    right->addStretch(1);
    body->addLayout(right, 1);
    layout->addLayout(body, 1);
}

PrintJobDetailSheet::Rows PrintJobDetailSheet::jobRows(const PrintJob &job)
{
    Rows rows{
        {QStringLiteral("Label"), job.label},
        {QStringLiteral("Type"),
         job.labelType == LabelType::box ? QStringLiteral("Box") : QStringLiteral("Winner")},
        {QStringLiteral("Style"), rawValue(job.style)},
        {QStringLiteral("Media"), job.labelMedia.displayName()},
        {QStringLiteral("Orientation"), rawValue(job.orientation)},
        {QStringLiteral("Status"), statusText(job.status)},
    };
    if (job.status.isError())
        rows.append({QStringLiteral("Error"), job.status.message});
    return rows;
}

PrintJobDetailSheet::Rows PrintJobDetailSheet::contentRows(const LabelContent &content)
{
    Rows rows;
    if (const auto *winner = content.as<LabelContent::Individual>()) {
        rows.append({QStringLiteral("Buyer"), QLatin1Char('@') + winner->username});
        rows.append({QStringLiteral("Price"), winner->price});
        if (winner->auctionNumber)
            rows.append({QStringLiteral("Auction #"), plainNumber(*winner->auctionNumber)});
        if (winner->itemTitle)
            rows.append({QStringLiteral("Item"), *winner->itemTitle});
        rows.append({QStringLiteral("Show"), winner->showTitle});
    } else if (const auto *box = content.as<LabelContent::Box>()) {
        rows.append({QStringLiteral("Buyer"), QLatin1Char('@') + box->buyer});
        rows.append({QStringLiteral("Box #"), plainNumber(box->boxNumber)});
        if (box->showTitle)
            rows.append({QStringLiteral("Show"), *box->showTitle});
    } else if (const auto *slip = content.as<LabelContent::Grouped>()) {
        rows.append({QStringLiteral("Buyer"), QLatin1Char('@') + slip->buyer});
        rows.append({QStringLiteral("Items"), plainNumber(slip->items.size())});
        rows.append({QStringLiteral("Total"), QLatin1Char('$') + slip->total.toMoneyString()});
        rows.append({QStringLiteral("Show"), slip->showTitle});
    }
    return rows;
}

double PrintJobDetailSheet::previewScale(const LabelMedia &media, Orientation orientation)
{
    return fitLabelScale(media, orientation, 280, 360, 2.5);
}

} // namespace quill
