#pragma once

#include "common/decimal.h"
#include "printing/label_appearance.h"
#include "printing/label_media.h"
#include "printing/layouts/any_label_view.h"
#include "printing/layouts/grouped_label_view.h"
#include "printing/orientation.h"

#include <QList>
#include <QString>
#include <optional>
#include <variant>

namespace quill {

// Layouts draw their type sizes and text-tied spacings at this share of their
// nominal size on every printed page.
inline constexpr qreal kLabelPagePx = 0.75;

// What one printable label says: a winner label for one won auction, a box label
// naming a buyer's box, or a packing slip listing a buyer's items. A plain value.
class LabelContent final
{
public:
    struct Individual
    {
        QString username;
        QString price; // display text; the layout puts "$" in front when it is missing
        std::optional<int> auctionNumber;
        std::optional<int> boxNumber;
        std::optional<QString> itemTitle;
        QString showTitle;
    };

    struct Box
    {
        QString buyer;
        int boxNumber = 1;
        std::optional<QString> showTitle;
    };

    struct Grouped
    {
        QString buyer;
        QList<GroupedItem> items;
        Decimal total; // a plain amount; the packing-slip layout formats it
        QString showTitle;
    };

    using Form = std::variant<Individual, Box, Grouped>;

    LabelContent(Individual content) : m_form(std::move(content)) {}
    LabelContent(Box content) : m_form(std::move(content)) {}
    LabelContent(Grouped content) : m_form(std::move(content)) {}

    static LabelContent individual(QString username, QString price, std::optional<int> auctionNumber,
                                   std::optional<int> boxNumber, std::optional<QString> itemTitle,
                                   QString showTitle);
    static LabelContent box(QString buyer, int boxNumber, std::optional<QString> showTitle);
    static LabelContent grouped(QString buyer, QList<GroupedItem> items, Decimal total, QString showTitle);

    const Form &form() const { return m_form; }
    template <typename T> const T *as() const { return std::get_if<T>(&m_form); }

    // The label's pages in order, each at the label's size on this medium and
    // orientation times `scale` (screens preview at other scales; printing uses 1).
    // A packing slip is cut into pages by the unscaled label height, and only its
    // last page carries the total; page numbers appear only when there are several.
    //
    // Throws InvalidLabelMediaError for a medium that cannot be printed on, and
    // quill::Error for a scale that is not finite and positive or gives an absurd size.
    QList<AnyLabelView> pages(LabelVariant style, const LabelMedia &media, Orientation orientation,
                              const LabelAppearance &appearance, double scale = 1.0) const;

private:
    Form m_form;
};

// A show title of the live page's form ("Ann is live - Cards - Friday night - Whatnot: …")
// taken apart for display.
struct ShowTitleParts
{
    std::optional<QString> seller; // "Ann"
    std::optional<QString> middle; // "Cards"
    QString title;                 // "Friday night"

    bool operator==(const ShowTitleParts &) const = default;
};

ShowTitleParts cleanShowTitle(const QString &title);

} // namespace quill
