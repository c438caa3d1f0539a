#include "ui/app/sidebar_section.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QImage>

#include <gtest/gtest.h>

namespace quill {
namespace {

int inkPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 64 ? 1 : 0;
    return count;
}

TEST(WidgetsSymbols, EverySymbolNameDrawsAnIconInTheAskedColour)
{
    installSymbolTheme();
    ASSERT_GE(designSymbolNames().size(), 60);
    const QColor orange = systemColor(SystemColor::orange);
    for (const QString &name : designSymbolNames()) {
        SCOPED_TRACE(name.toStdString());
        const QIcon icon = symbolIcon(name, orange);
        ASSERT_FALSE(icon.isNull());
        const QImage image = icon.pixmap(32, 32).toImage();
        ASSERT_EQ(image.size(), QSize(32, 32));
        // A missing theme file leaves the picture empty: ask for real ink.
        EXPECT_GT(inkPixels(image), 20);
        bool allOrange = true;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() == 255 && pixel.rgb() != orange.rgb())
                    allOrange = false;
            }
        EXPECT_TRUE(allOrange);
    }
}

TEST(WidgetsSymbols, SectionSymbolsAndTheScreensNamesAreInTheTable)
{
    for (SidebarSection section : allSidebarSections)
        EXPECT_TRUE(designSymbolNames().contains(sidebarSectionSymbol(section)))
            << sidebarSectionSymbol(section).toStdString();
    for (const char *name : {"tag", "tag.fill", "apple.logo", "globe", "chevron.right",
                             "exclamationmark.triangle.fill", "xmark", "power", "printer"})
        EXPECT_TRUE(designSymbolNames().contains(QString::fromLatin1(name))) << name;
}

TEST(WidgetsSymbols, UnknownNameHasNoIcon)
{
    EXPECT_TRUE(symbolIcon(QStringLiteral("no.such.symbol")).isNull());
    EXPECT_TRUE(symbolPixmap(QStringLiteral("no.such.symbol"), 16, Qt::white).isNull());
}

TEST(WidgetsSymbols, DisabledIconIsFainter)
{
    const QIcon icon = symbolIcon(QStringLiteral("gear"), Qt::white);
    const QImage normal = icon.pixmap(24, 24, QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(24, 24, QIcon::Disabled).toImage();
    int strongest = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            strongest = std::max(strongest, qAlpha(disabled.pixel(x, y)));
    EXPECT_GT(inkPixels(normal), 20);
    EXPECT_LT(strongest, 128);
}

} // namespace
} // namespace quill
