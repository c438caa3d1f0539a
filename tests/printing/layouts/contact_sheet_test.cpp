// Writes every label layout in every style on every built-in medium as PNGs at
// 300 dpi, one file per label plus one overview sheet per layout, so a person can
// look at them. The checks here only make sure each label drew something inside
// its own box.
#include "label_test_support.h"
#include "printing/layouts/any_label_view.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

const QString kFolder = QStringLiteral(QUILLMARK_CONTACT_SHEET_DIR);

QList<GroupedItem> slipItems(int count)
{
    QList<GroupedItem> items;
    for (int i = 0; i < count; ++i)
        items.append(GroupedItem{i % 4 == 3 ? std::nullopt : std::optional<int>(101 + i),
                                 QStringLiteral("Vintage enamel pin set no. %1 with a long title").arg(i + 1),
                                 QString::number(5 + i * 2.5)});
    return items;
}

AnyLabelView makeLabel(const QString &layout, LabelVariant style, const Medium &medium, bool withLogo)
{
    const LabelAppearance look = appearance(withLogo);
    const qreal w = medium.widthPts, h = medium.heightPts;
    if (layout == QLatin1String("winner"))
        return IndividualLabelView(QStringLiteral("sparkle_collector"), QStringLiteral("12.5"), 42, 7,
                                   QStringLiteral("Holographic Charizard 1st edition, graded 9"),
                                   QStringLiteral("Sunday Night Pokémon Breaks"), style, w, h,
                                   medium.isCircular, look, 0.75);
    if (layout == QLatin1String("box"))
        return BoxLabelView(QStringLiteral("sparkle_collector"), 12,
                            QStringLiteral("Sunday Night Pokémon Breaks"), style, w, h, medium.isCircular,
                            look, 0.75);
    if (layout == QLatin1String("slip")) {
        const QList<GroupedItem> all = slipItems(6);
        const auto pages = GroupedLabelView::paginate(all, style, h);
        const bool several = pages.size() > 1;
        return GroupedLabelView(QStringLiteral("sparkle_collector"), pages.last(),
                                *Decimal::fromString(u"1342.5"),
                                QStringLiteral("Sunday Night Pokémon Breaks"), style, w, h,
                                several ? std::optional<int>(pages.size()) : std::nullopt,
                                several ? std::optional<int>(pages.size()) : std::nullopt, look, 0.75);
    }
    return CalibrationLabelView(w, h, medium.isCircular);
}

} // namespace

TEST(ContactSheet, EveryLayoutStyleAndMediumIsWrittenAsPng)
{
    ASSERT_TRUE(QDir().mkpath(kFolder));
    const QStringList layouts{QStringLiteral("winner"), QStringLiteral("box"), QStringLiteral("slip"),
                              QStringLiteral("calibration")};
    constexpr qreal kDpi = 300;
    constexpr int kCell = 700; // overview cell, pixels
    int written = 0;
    for (const QString &layout : layouts) {
        const bool styled = layout != QLatin1String("calibration");
        const QList<LabelVariant> styles =
            styled ? QList<LabelVariant>(kAllLabelVariants.begin(), kAllLabelVariants.end())
                   : QList<LabelVariant>{LabelVariant::bold};
        QImage overview(kCell * styles.size() * 2, kCell * builtInMedia().size(), QImage::Format_RGB32);
        overview.fill(QColor(180, 190, 200));
        QPainter sheet(&overview);
        for (int row = 0; row < builtInMedia().size(); ++row) {
            const Medium &medium = builtInMedia().at(row);
            for (int column = 0; column < styles.size(); ++column) {
                for (const bool withLogo : {false, true}) {
                    const LabelVariant style = styles.at(column);
                    const QImage image = makeLabel(layout, style, medium, withLogo).toImage(kDpi);
                    SCOPED_TRACE(QString(layout + QLatin1Char(' ') + medium.id).toStdString());
                    ASSERT_EQ(image.size(), QSize(qRound(medium.widthPts * kDpi / 72),
                                                  qRound(medium.heightPts * kDpi / 72)));
                    EXPECT_TRUE(hasInk(image, QRectF(0, 0, medium.widthPts, medium.heightPts), kDpi));

                    QString name = layout + QLatin1Char('-') + medium.id;
                    if (styled)
                        name += QLatin1Char('-') + rawValue(style).toLower();
                    if (withLogo)
                        name += QStringLiteral("-logo");
                    ASSERT_TRUE(image.save(kFolder + QLatin1Char('/') + name + QStringLiteral(".png")));
                    ++written;

                    const QRect cell((column * 2 + (withLogo ? 1 : 0)) * kCell, row * kCell, kCell, kCell);
                    const QSize fitted =
                        image.size().scaled(cell.size() - QSize(20, 20), Qt::KeepAspectRatio);
                    const QRect target(cell.center() - QPoint(fitted.width() / 2, fitted.height() / 2),
                                       fitted);
                    sheet.setRenderHint(QPainter::SmoothPixmapTransform);
                    sheet.drawImage(target, image);
                }
            }
        }
        sheet.end();
        ASSERT_TRUE(overview.save(kFolder + QStringLiteral("/sheet-") + layout + QStringLiteral(".png")));
    }
    // 5 media × (3 styles × 3 layouts + calibration) × with and without a logo
    EXPECT_EQ(written, 5 * 10 * 2);
}
