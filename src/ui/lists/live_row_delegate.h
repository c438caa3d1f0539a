#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QStyledItemDelegate>

namespace quill {

// A row of the live lists until the designed rows arrive: the record's one-line summary,
// the won mark where the model gives one, padded 12 at the sides and 4 above and below,
// and a divider indented 12 under every row (the last one too).
class LiveRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveRowDelegate)

public:
    static constexpr int kSidePadding = 12;
    static constexpr int kVerticalPadding = 4;
    static constexpr int kMarkSize = 14;

    explicit LiveRowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // Resolved once: thousands of rows are painted with them.
    QFont m_font;
    QFontMetrics m_metrics;
};

} // namespace quill
