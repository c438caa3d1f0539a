#pragma once

#include "printing/layouts/any_label_view.h"
#include "ui/widgets/label_page_view.h"

#include <QList>
#include <QScrollArea>

class QVBoxLayout;

namespace quill {

// A scroll column of label pages, one under the other and centred, as the preview
// sheets show a label that runs to several pages. The column is inset by the kit's
// large step; the gap between pages is the caller's.
class LabelPageColumn final : public QScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelPageColumn)

public:
    explicit LabelPageColumn(int pageSpacing, QWidget *parent = nullptr);

    // Replaces the pages shown. With `captioned`, each page of two or more carries a
    // "Page N of M" caption above it.
    void setPages(const QList<AnyLabelView> &pages, const LabelPageFrame &frame, bool captioned = false);
    const QList<LabelPageView *> &pageViews() const { return m_views; }
    // The widget the pages stand in (its size hint is the pages' room with the insets).
    QWidget *column() const { return m_column; }

private:
    void clear();

    QWidget *m_column;
    QVBoxLayout *m_layout;
    QList<LabelPageView *> m_views;
};

} // namespace quill
