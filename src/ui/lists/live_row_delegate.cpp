#include "ui/lists/live_row_delegate.h"

#include "app/app_state.h"
#include "printing/print_kit_adapter.h"
#include "ui/lists/live_list_texts.h"
#include "ui/lists/live_row_printer.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"
#include "ui/widgets/user_avatar_view.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace quill {

namespace {

// Enough for the avatar on a sharp screen; the rest of a large picture is dropped.
constexpr int kAvatarPixels = 64;

} // namespace

RowAvatarCache::RowAvatarCache(int diameter, QObject *parent) : QObject(parent), m_diameter(diameter) {}

QImage RowAvatarCache::image(const std::optional<QString> &address)
{
    if (!address || address->isEmpty() || m_failed.contains(*address))
        return {};
    const auto found = m_images.constFind(*address);
    if (found != m_images.constEnd())
        return *found;
    if (m_loading.contains(*address))
        return {};
    if (!AvatarImageLoader::fetchableUrl(*address)) {
        m_failed.insert(*address);
        return {};
    }
    auto *loader = new AvatarImageLoader(this);
    m_loading.insert(*address, loader);
    const QString key = *address;
    connect(loader, &AvatarImageLoader::loaded, this, [this, key, loader](const QImage &image) {
        const int side = std::max(m_diameter * 2, kAvatarPixels);
        m_images.insert(key,
                        image.scaled(side, side, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation));
        m_loading.remove(key);
        loader->deleteLater();
        Q_EMIT imageLoaded();
    });
    connect(loader, &AvatarImageLoader::failed, this, [this, key, loader](const QString &) {
        m_failed.insert(key);
        m_loading.remove(key);
        loader->deleteLater();
    });
    loader->load(key);
    return {};
}

LiveRowDelegate::LiveRowDelegate(QAbstractItemView *view)
    : QStyledItemDelegate(view),
      m_view(view), m_fonts{textFont(TextStyle::subheadline, QFont::DemiBold),
                            textFont(TextStyle::subheadline, QFont::Bold),
                            textFont(TextStyle::caption),
                            textFont(TextStyle::caption2, QFont::DemiBold),
                            QFontMetrics(textFont(TextStyle::subheadline, QFont::DemiBold)),
                            QFontMetrics(textFont(TextStyle::caption)),
                            QFontMetrics(textFont(TextStyle::caption2, QFont::DemiBold))},
      m_avatars(new RowAvatarCache(kAvatarSize, this))
{
    connect(m_avatars, &RowAvatarCache::imageLoaded, this, [this] {
        if (m_view)
            m_view->viewport()->update();
    });
}

QSize LiveRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    // Two text lines or the avatar, whichever is taller; every row has the same height.
    const int lines = m_fonts.nameMetrics.height() + 1 + m_fonts.captionMetrics.height();
    return {2 * kSidePadding + 200, std::max(lines, kAvatarSize) + 2 * kVerticalPadding + 1};
}

QRect LiveRowDelegate::contentRect(const QRect &row)
{
    return row.adjusted(kSidePadding, kVerticalPadding, -kSidePadding, -kVerticalPadding - 1);
}

QRect LiveRowDelegate::trailingBox(const QRect &content, int right, int size)
{
    return QRect(right - size + 1, content.center().y() - size / 2 + (size % 2 == 0 ? 1 : 0), size, size);
}

void LiveRowDelegate::paintAvatar(QPainter &painter, const QRect &content, const QString &username,
                                  const std::optional<QString> &address) const
{
    const QRectF circle(content.left(), content.center().y() - kAvatarSize / 2.0 + 0.5, kAvatarSize,
                        kAvatarSize);
    paintUserAvatar(painter, circle, username, m_avatars->image(address));
}

void LiveRowDelegate::paintButton(QPainter &painter, const QRect &box, const QString &symbol, bool enabled,
                                  bool dimmed)
{
    const QColor color = enabled ? primaryTextColor() : tertiaryTextColor();
    const QRect icon(box.center().x() - kButtonIconSize / 2, box.center().y() - kButtonIconSize / 2,
                     kButtonIconSize, kButtonIconSize);
    painter.save();
    if (dimmed)
        painter.setOpacity(0.4);
    painter.drawPixmap(icon,
                       symbolPixmap(symbol, kButtonIconSize, color, painter.device()->devicePixelRatioF()));
    painter.restore();
}

void LiveRowDelegate::paintMark(QPainter &painter, const QRect &box, const QString &symbol,
                                const QColor &color)
{
    painter.drawPixmap(box, symbolPixmap(symbol, box.width(), color, painter.device()->devicePixelRatioF()));
}

void LiveRowDelegate::paintText(QPainter &painter, const QRect &box, const QString &text, const QFont &font,
                                const QFontMetrics &metrics, const QColor &color, Qt::Alignment alignment)
{
    // Plain text on one line: breaks become spaces, what does not fit is elided.
    painter.setFont(font);
    painter.setPen(color);
    // Boxes are measured with whole-pixel advances; a text that fits them stays whole.
    const QString single = oneLine(text);
    const QString line = metrics.horizontalAdvance(single) <= box.width()
                             ? single
                             : metrics.elidedText(single, Qt::ElideRight, box.width());
    painter.drawText(box, int(alignment | Qt::TextSingleLine | Qt::TextDontClip), line);
}

void LiveRowDelegate::paintFigure(QPainter &painter, const QRect &box, const FigureText &figure,
                                  const QColor &color, Qt::Alignment alignment)
{
    painter.setPen(color);
    figure.draw(painter, box, alignment);
}

void LiveRowDelegate::paintDivider(QPainter &painter, const QRect &row)
{
    painter.setPen(quaternaryFillColor());
    painter.drawLine(row.left() + kSidePadding, row.bottom(), row.right(), row.bottom());
}

std::optional<QPoint> LiveRowDelegate::clickAt(QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return std::nullopt;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return std::nullopt;
    return mouse->position().toPoint();
}

QString LiveRowDelegate::plainToolTip(const QString &text)
{
    // Tooltips guess rich text from the first tag; escaped inside a paragraph, every
    // character shows literally.
    return text.isEmpty() ? QString() : QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

PrintableRowDelegate::PrintableRowDelegate(LiveRowPrinter &printer, QAbstractItemView *view)
    : LiveRowDelegate(view), m_printer(printer)
{
    const auto repaint = [this] {
        if (this->view())
            this->view()->viewport()->update();
    };
    connect(&printer.app().printAdapter(), &PrintKitAdapter::printersChanged, this, repaint);
    connect(&printer, &LiveRowPrinter::failuresChanged, this, repaint);
}

PrintableRowDelegate::Actions PrintableRowDelegate::layoutActions(const QRect &content, const QString &rowKey,
                                                                  int &right) const
{
    Actions actions;
    right = content.right();
    actions.printButton = trailingBox(content, right, kButtonSize);
    right = actions.printButton.left() - kSpacing;
    actions.previewButton = trailingBox(content, right, kButtonSize);
    right = actions.previewButton.left() - kSpacing;
    if (m_printer.failure(rowKey)) {
        actions.failureMark = trailingBox(content, right, kMarkSize);
        right = actions.failureMark.left() - kSpacing;
    }
    return actions;
}

void PrintableRowDelegate::paintActions(QPainter &painter, const Actions &actions, bool canPrint,
                                        bool dimmed) const
{
    if (!actions.failureMark.isEmpty())
        paintMark(painter, actions.failureMark, QStringLiteral("exclamationmark.triangle.fill"),
                  systemColor(SystemColor::red));
    paintButton(painter, actions.previewButton, QStringLiteral("eye"), true);
    paintButton(painter, actions.printButton, QStringLiteral("printer"), canPrint, dimmed);
}

bool PrintableRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *,
                                       const QStyleOptionViewItem &option, const QModelIndex &index)
{
    const std::optional<QPoint> at = clickAt(event);
    if (!at)
        return false;
    const Actions actions = actionsAt(option.rect, index);
    if (actions.previewButton.contains(*at)) {
        preview(index);
        return true;
    }
    if (actions.printButton.contains(*at)) {
        if (canPrint(index))
            print(index);
        return true;
    }
    return false;
}

bool PrintableRowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                     const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() == QEvent::ToolTip &&
        actionsAt(option.rect, index).failureMark.contains(event->pos())) {
        const auto failure = m_printer.failure(rowKey(index));
        QToolTip::showText(event->globalPos(), plainToolTip(failure.value_or(QString())), view);
        return true;
    }
    return LiveRowDelegate::helpEvent(event, view, option, index);
}

} // namespace quill
