#pragma once

#include "ui/widgets/figure_text.h"

#include <QAbstractItemView>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStyledItemDelegate>
#include <optional>

namespace quill {

class AvatarImageLoader;

// Avatar pictures of list rows, fetched once per address and kept small. Rows paint
// the name's colour until the picture is in.
class RowAvatarCache final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RowAvatarCache)

public:
    explicit RowAvatarCache(int diameter, QObject *parent = nullptr);

    // The picture when it is in; otherwise a null image, and the fetch starts.
    QImage image(const std::optional<QString> &address);

Q_SIGNALS:
    void imageLoaded();

private:
    int m_diameter;
    QHash<QString, QImage> m_images;
    QHash<QString, QPointer<AvatarImageLoader>> m_loading;
    QSet<QString> m_failed;
};

// What the rows of the live lists share: padding 12 at the sides and 4 above and below,
// a divider indented 12 under every row (the last one too), the 28-point avatar, the
// fonts, and borderless icon buttons that are hit areas of the row, not widgets.
class LiveRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveRowDelegate)

public:
    static constexpr int kSidePadding = 12;
    static constexpr int kVerticalPadding = 4;
    static constexpr int kSpacing = 8;
    static constexpr int kAvatarSize = 28;
    static constexpr int kButtonSize = 22;
    static constexpr int kButtonIconSize = 15;
    static constexpr int kMarkSize = 12;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // A tooltip that shows `text` as it is, markup included.
    static QString plainToolTip(const QString &text);

protected:
    // Repaints `view` whenever an avatar arrives.
    explicit LiveRowDelegate(QAbstractItemView *view);

    struct Fonts
    {
        QFont name;    // subheadline, semibold
        QFont amount;  // subheadline, bold; its figures are FigureTexts
        QFont caption; // caption
        QFont badge;   // caption 2, semibold
        QFontMetrics nameMetrics;
        QFontMetrics captionMetrics;
        QFontMetrics badgeMetrics;
    };
    const Fonts &fonts() const { return m_fonts; }
    QAbstractItemView *view() const { return m_view; }

    // The row without its padding and divider.
    static QRect contentRect(const QRect &row);
    // A button or mark of `size` whose right edge is `right`, centred in `content`.
    static QRect trailingBox(const QRect &content, int right, int size);
    void paintAvatar(QPainter &painter, const QRect &content, const QString &username,
                     const std::optional<QString> &address) const;
    // `dimmed`: drawn at 40 % opacity.
    static void paintButton(QPainter &painter, const QRect &box, const QString &symbol, bool enabled,
                            bool dimmed = false);
    static void paintMark(QPainter &painter, const QRect &box, const QString &symbol, const QColor &color);
    static void paintText(QPainter &painter, const QRect &box, const QString &text, const QFont &font,
                          const QFontMetrics &metrics, const QColor &color, Qt::Alignment alignment);
    // A price or number, its digits all one width (FigureText).
    static void paintFigure(QPainter &painter, const QRect &box, const FigureText &figure, const QColor &color,
                            Qt::Alignment alignment);
    static void paintDivider(QPainter &painter, const QRect &row);
    // A left click released on the row, with where it landed; null otherwise.
    static std::optional<QPoint> clickAt(QEvent *event);

private:
    QPointer<QAbstractItemView> m_view;
    Fonts m_fonts;
    RowAvatarCache *m_avatars;
};

class LiveRowPrinter;

// A row with a preview and a one-click print button, and the red mark of a failed
// print whose tooltip gives the reason. Rows repaint when the printers change or a
// print's mark comes or goes.
class PrintableRowDelegate : public LiveRowDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintableRowDelegate)

public:
    struct Actions
    {
        QRect failureMark; // empty unless the row's last one-click print failed
        QRect previewButton;
        QRect printButton;
    };

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    PrintableRowDelegate(LiveRowPrinter &printer, QAbstractItemView *view);

    LiveRowPrinter &printer() const { return m_printer; }
    // Lays the buttons and the mark out from the content's right edge; `right` ends left of them.
    Actions layoutActions(const QRect &content, const QString &rowKey, int &right) const;
    void paintActions(QPainter &painter, const Actions &actions, bool canPrint, bool dimmed) const;

    virtual QString rowKey(const QModelIndex &index) const = 0;
    virtual Actions actionsAt(const QRect &row, const QModelIndex &index) const = 0;
    virtual bool canPrint(const QModelIndex &index) const = 0;
    virtual void preview(const QModelIndex &index) = 0;
    virtual void print(const QModelIndex &index) = 0;

private:
    LiveRowPrinter &m_printer;
};

} // namespace quill
