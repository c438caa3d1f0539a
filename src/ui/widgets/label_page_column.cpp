#include "ui/widgets/label_page_column.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quill {

LabelPageColumn::LabelPageColumn(int pageSpacing, QWidget *parent)
    : QScrollArea(parent), m_column(new QWidget(this)), m_layout(new QVBoxLayout(m_column))
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    m_layout->setContentsMargins(metrics::insets(metrics::large));
    m_layout->setSpacing(pageSpacing);
}

void LabelPageColumn::clear()
{
    while (QLayoutItem *item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_views.clear();
}

void LabelPageColumn::setPages(const QList<AnyLabelView> &pages, const LabelPageFrame &frame, bool captioned)
{
    clear();
    const qsizetype count = pages.size();
    for (qsizetype i = 0; i < count; ++i) {
        QWidget *holder = m_column;
        QVBoxLayout *holderLayout = m_layout;
        if (captioned) {
            // The caption and its page stand together as one block of the column.
            holder = new QWidget(m_column);
            holderLayout = new QVBoxLayout(holder);
            holderLayout->setContentsMargins(0, 0, 0, 0);
            holderLayout->setSpacing(metrics::small);
            if (count >= 2) {
                QLabel *caption = styledLabel(tr("Page %1 of %2").arg(i + 1).arg(count),
                                             textFont(TextStyle::caption), secondaryTextColor(), holder);
                holderLayout->addWidget(caption, 0, Qt::AlignHCenter);
            }
        }
        auto *view = new LabelPageView(holder);
        view->setFrame(frame);
        view->setPage(pages.at(i));
        holderLayout->addWidget(view, 0, Qt::AlignHCenter);
        m_views.append(view);
        if (holder != m_column)
            m_layout->addWidget(holder, 0, Qt::AlignHCenter);
    }
    m_layout->addStretch(1);
    // The column joins the area once it holds its first pages, so that the area sizes
    // its bars for them from the start.
    if (!widget())
        setWidget(m_column);
}

} // namespace quill
