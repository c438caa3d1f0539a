#include "printing/label_content.h"

#include <cmath>

namespace quill {

LabelContent LabelContent::individual(QString username, QString price, std::optional<int> auctionNumber,
                                      std::optional<int> boxNumber, std::optional<QString> itemTitle,
                                      QString showTitle)
{
    return Individual{std::move(username), std::move(price),     auctionNumber,
                      boxNumber,           std::move(itemTitle), std::move(showTitle)};
}

LabelContent LabelContent::box(QString buyer, int boxNumber, std::optional<QString> showTitle)
{
    return Box{std::move(buyer), boxNumber, std::move(showTitle)};
}

LabelContent LabelContent::grouped(QString buyer, QList<GroupedItem> items, Decimal total, QString showTitle)
{
    return Grouped{std::move(buyer), std::move(items), total, std::move(showTitle)};
}

QList<AnyLabelView> LabelContent::pages(LabelVariant style, const LabelMedia &media, Orientation orientation,
                                        const LabelAppearance &appearance, double scale) const
{
    // A size that is not finite or absurd must stop here, before any layout or
    // bitmap turns it into pixel counts.
    if (const auto reason = media.invalidReason())
        throw InvalidLabelMediaError(*reason);
    if (!std::isfinite(scale) || scale <= 0)
        throw Error(QStringLiteral("A label cannot be drawn at a scale of %1.").arg(scale));

    const QSizeF inches = labelSizeInches(media, orientation);
    const qreal widthPts = inches.width() * 72.0 * scale;
    const qreal heightPts = inches.height() * 72.0 * scale;

    QList<AnyLabelView> result;
    if (const auto *content = as<Individual>()) {
        result.append(IndividualLabelView(content->username, content->price, content->auctionNumber,
                                          content->boxNumber, content->itemTitle, content->showTitle, style,
                                          widthPts, heightPts, media.isCircular, appearance, kLabelPagePx));
    } else if (const auto *content = as<Box>()) {
        result.append(BoxLabelView(content->buyer, content->boxNumber, content->showTitle, style, widthPts,
                                   heightPts, media.isCircular, appearance, kLabelPagePx));
    } else if (const auto *content = as<Grouped>()) {
        // Pages are cut by the printed height, so a preview at another scale shows
        // the same pages as the print.
        const QList<QList<GroupedItem>> chunks =
            GroupedLabelView::paginate(content->items, style, inches.height() * 72.0);
        const int count = int(chunks.size());
        result.reserve(count);
        for (int i = 0; i < count; ++i) {
            const bool last = i == count - 1;
            const std::optional<int> page = count > 1 ? std::optional<int>(i + 1) : std::nullopt;
            const std::optional<int> totalPages = count > 1 ? std::optional<int>(count) : std::nullopt;
            result.append(GroupedLabelView(content->buyer, chunks.at(i), last ? content->total : Decimal(),
                                           content->showTitle, style, widthPts, heightPts, page, totalPages,
                                           appearance, kLabelPagePx));
        }
    }
    return result;
}

ShowTitleParts cleanShowTitle(const QString &title)
{
    static const QString marketplaceSuffix = QStringLiteral(" - Whatnot:");
    static const QString separator = QStringLiteral(" - ");
    static const QString liveMarker = QStringLiteral("is live");

    QString text = title;
    const qsizetype cut = text.indexOf(marketplaceSuffix, 0, Qt::CaseInsensitive);
    if (cut >= 0)
        text = text.left(cut);

    const QStringList parts = text.split(separator);
    if (parts.size() < 2 || !parts.first().toLower().endsWith(liveMarker))
        return {std::nullopt, std::nullopt, text};

    // " is live" is 8 characters long.
    const QString &first = parts.first();
    const QString seller = first.left(std::max<qsizetype>(0, first.size() - 8)).trimmed();
    const QString middle = parts.at(1).trimmed();
    const QString display = parts.size() == 2 ? middle : parts.mid(2).join(separator).trimmed();
    return {seller, middle, display};
}

} // namespace quill
