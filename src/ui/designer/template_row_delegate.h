#pragma once

#include <QStyledItemDelegate>

namespace quill {

// A template row: the name on one line, and under it the size and element count in
// small secondary text.
class TemplateRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateRowDelegate)

public:
    explicit TemplateRowDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QFont m_nameFont;
    QFont m_detailFont;
};

} // namespace quill
