#pragma once

#include <QHash>
#include <QPersistentModelIndex>
#include <QRect>
#include <QStyledItemDelegate>

namespace quill {

// Where the parts of a detail row sit, for painting and for clicks.
struct DetailRowGeometry
{
    QRect printButton;
    QRect previewButton;
    QRect expandButton; // buyer rows only
};

// Shared by the two detail rows: the turning progress mark and the icon buttons.
class DetailRowDelegateBase : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DetailRowDelegateBase)

public:
    static constexpr int kSidePadding = 12;
    static constexpr int kButtonSize = 22;

    explicit DetailRowDelegateBase(QObject *parent = nullptr) : QStyledItemDelegate(parent) {}

    // Advanced by the view while a row prints, so the mark turns.
    void setSpinnerPhase(int phase) { m_phase = phase; }

Q_SIGNALS:
    void printRequested(const QModelIndex &index);
    void previewRequested(const QModelIndex &index);
    void expandRequested(const QModelIndex &index);

protected:
    void paintIconButton(QPainter &painter, const QRect &rect, const QString &symbol, bool enabled) const;
    void paintSpinner(QPainter &painter, const QRect &rect) const;
    void paintDivider(QPainter &painter, const QRect &row) const;
    bool clickedAt(QEvent *event, const QModelIndex &index, const DetailRowGeometry &geometry,
                   bool isPrinting, bool canPrint);

private:
    int m_phase = 0;
};

// An auction of a past show: "@winner", its number and title, the price and the
// reprint and preview buttons (a progress mark while its print runs).
class AuctionDetailRowDelegate final : public DetailRowDelegateBase
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AuctionDetailRowDelegate)

public:
    explicit AuctionDetailRowDelegate(QObject *parent = nullptr) : DetailRowDelegateBase(parent) {}

    static DetailRowGeometry geometry(const QRect &row);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};

// A buyer of a past show: avatar, "@buyer", the item count, the total, preview and
// packing-slip buttons, and the expand chevron with one line per auction below.
class BuyerDetailRowDelegate final : public DetailRowDelegateBase
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BuyerDetailRowDelegate)

public:
    static constexpr int kHeaderHeight = 40;
    static constexpr int kLineIndent = 44;
    static constexpr int kExpandMs = 200;

    // `parent`: the list view, whose rows the chevron and the expansion move in.
    explicit BuyerDetailRowDelegate(QObject *parent = nullptr);

    // How far the row of `buyer` has moved towards its present state: 1 at rest.
    qreal expansionProgress(const QString &buyer) const { return m_moving.value(buyer, 1.0); }

    static DetailRowGeometry geometry(const QRect &row);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    void paintNameAndTotal(QPainter *painter, const QRect &row, const QRect &avatar, const QRect &previewButton,
                           const QModelIndex &index) const;
    void paintLines(QPainter *painter, const QRect &row, const QModelIndex &index) const;
    void startExpansion(const QModelIndex &index);

    QHash<QString, qreal> m_moving; // buyer → progress, while the chevron turns
};

} // namespace quill
