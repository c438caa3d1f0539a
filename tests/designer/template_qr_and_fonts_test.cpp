// The template's QR codes read back with a real decoder at every correction level, and
// the canvas and the page ask for the same installed faces as the label appearance.
#include "designer/template_fonts.h"
#include "designer/template_qr_code.h"
#include "printing/font_resolver.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quill;

namespace {

QString zbarDecode(const QString &path)
{
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), QStringLiteral("--raw"), path});
    zbar.waitForFinished(20000);
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

} // namespace

TEST(TemplateQRCode, PngsOfAllFourLevelsDecodeToTheUtf8Content)
{
    QTemporaryDir dir;
    const QString content = QStringLiteral("https://example.invalid/label?q=Zoë ✓ 42");
    int previousModules = 0;
    for (const QRCorrectionLevel level : allCorrectionLevels()) {
        const std::optional<QByteArray> png = generateQRCodePNG(content, level);
        ASSERT_TRUE(png.has_value());
        QImage image;
        ASSERT_TRUE(image.loadFromData(*png, "PNG"));
        // Ten pixels a module, with one module of quiet zone each side.
        ASSERT_EQ(image.width() % kTemplateQRModulePixels, 0);
        const int modules = image.width() / kTemplateQRModulePixels - 2 * kTemplateQRQuietZoneModules;
        EXPECT_GE(modules, previousModules) << "more correction never needs fewer modules";
        previousModules = modules;
        EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
        EXPECT_EQ(image.pixelColor(kTemplateQRModulePixels + 5, kTemplateQRModulePixels + 5),
                  QColor(Qt::black));
        EXPECT_EQ(*generateQRCodeImage(content, level),
                  image.convertToFormat(generateQRCodeImage(content, level)->format()));

        const QString path = dir.filePath(rawValue(level) + QStringLiteral(".png"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*png);
        file.close();
        EXPECT_EQ(zbarDecode(path), content) << rawValue(level).toStdString();
    }
}

TEST(TemplateQRCode, EmptyOrOversizedContentGivesNone)
{
    EXPECT_FALSE(generateQRCodePNG(QString(), QRCorrectionLevel::medium));
    EXPECT_FALSE(generateQRCodeImage(QString(), QRCorrectionLevel::low));
    // 2953 bytes is the most a code holds, at level L.
    EXPECT_TRUE(generateQRCodePNG(QString(2953, QLatin1Char('a')), QRCorrectionLevel::low));
    EXPECT_FALSE(generateQRCodePNG(QString(2954, QLatin1Char('a')), QRCorrectionLevel::low));
    EXPECT_FALSE(generateQRCodePNG(QString(2000, QLatin1Char('a')), QRCorrectionLevel::high));
}

TEST(TemplateFonts, EveryOfferedFamilyHasAnInstalledFaceAgreeingWithTheLabelFonts)
{
    ASSERT_EQ(templateFontFamilies().size(), 8);
    // A family several foundries ship is listed as "Name [foundry]".
    QStringList installed;
    for (const QString &listed : QFontDatabase::families())
        installed.append(listed.section(QStringLiteral(" ["), 0, 0));
    for (const QString &family : templateFontFamilies()) {
        const QString face = installedFontFamily(family);
        ASSERT_FALSE(face.isEmpty()) << family.toStdString();
        EXPECT_TRUE(installed.contains(face)) << face.toStdString() << " is not installed";
        // The canvas really gets that face, not a fallback.
        EXPECT_EQ(QFontInfo(templateFont(family, FontWeightValue::regular, 14, 72))
                      .family()
                      .section(QStringLiteral(" ["), 0, 0),
                  face);
    }
    // Where the label appearance names the same face, both use one stand-in.
    EXPECT_EQ(installedFontFamily(QStringLiteral("Helvetica")),
              FontResolver::family(LabelFontChoice::helveticaNeue));
    EXPECT_EQ(installedFontFamily(QStringLiteral("Georgia")), FontResolver::family(LabelFontChoice::georgia));
    EXPECT_EQ(installedFontFamily(QStringLiteral("Menlo")), FontResolver::family(LabelFontChoice::menlo));
    EXPECT_EQ(installedFontFamily(QStringLiteral("SF Pro")),
              FontResolver::systemFamily(SystemFontDesign::standard));
    EXPECT_TRUE(installedFontFamily(QStringLiteral("Comic Sans")).isEmpty());
}

TEST(TemplateFonts, APointIsOneLabelPointOnEveryDevice)
{
    for (const double dpi : {72.0, 96.0, 300.0}) {
        const QFont font = templateFont(QStringLiteral("Arial"), FontWeightValue::bold, 14, dpi);
        EXPECT_NEAR(font.pointSizeF() * dpi / 72.0, 14.0, 1e-9) << dpi;
        EXPECT_EQ(font.weight(), QFont::Bold);
    }
    EXPECT_EQ(templateFont(QStringLiteral("Arial"), FontWeightValue::semibold, 14, 72).weight(),
              QFont::DemiBold);
}
