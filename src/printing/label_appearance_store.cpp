#include "printing/label_appearance_store.h"

#include "common/logging.h"
#include "common/paths.h"
#include "common/settings.h"
#include "printkit/rendering/image_decoder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QMutex>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quill {

namespace {

// Live stores, so a change made through one reaches the others.
QMutex g_storesMutex;
QList<LabelAppearanceStore *> g_stores;

QString logoPathOrEmpty()
{
    try {
        return LabelAppearanceStore::defaultLogoPath();
    } catch (const Error &error) {
        qCWarning(lcLabelAppearance) << "No place for the logo file:" << error.message();
        return {};
    }
}

} // namespace

LabelAppearanceStore &LabelAppearanceStore::shared()
{
    // Never destroyed: print paths may still read it while the application shuts down.
    static LabelAppearanceStore *const store = new LabelAppearanceStore();
    return *store;
}

Settings &LabelAppearanceStore::settings() const
{
    return m_settings ? *m_settings : Settings::shared();
}

const Settings *LabelAppearanceStore::settingsInUse() const
{
    return m_settings ? m_settings : Settings::installed();
}

LabelAppearanceStore::LabelAppearanceStore(QObject *parent)
    : LabelAppearanceStore(nullptr, logoPathOrEmpty(), parent)
{
}

LabelAppearanceStore::LabelAppearanceStore(Settings &settings, QString logoPath, QObject *parent)
    : LabelAppearanceStore(&settings, std::move(logoPath), parent)
{
}

LabelAppearanceStore::LabelAppearanceStore(Settings *store, QString logoPath, QObject *parent)
    : QObject(parent), m_settings(store), m_logoPath(std::move(logoPath))
{
    // A known stored text is taken and written back; anything else keeps the start value.
    if (const auto choice = labelFontChoiceFromRawValue(settings().stringValue(fontKey))) {
        settings().setString(fontKey, rawValue(*choice));
        m_fontChoice = *choice;
    }
    if (const auto mode = labelColorModeFromRawValue(settings().stringValue(colorModeKey))) {
        settings().setString(colorModeKey, rawValue(*mode));
        m_colorMode = *mode;
    }
    if (const auto style = labelVariantFromRawValue(settings().stringValue(styleKey))) {
        settings().setString(styleKey, rawValue(*style));
        m_style = *style;
    }
    loadLogo();

    QMutexLocker lock(&g_storesMutex);
    g_stores.append(this);
}

LabelAppearanceStore::~LabelAppearanceStore()
{
    QMutexLocker lock(&g_storesMutex);
    g_stores.removeAll(this);
}

QString LabelAppearanceStore::defaultLogoPath()
{
    return paths::dataFile(logoFileName);
}

void LabelAppearanceStore::loadLogo()
{
    if (m_logoPath.isEmpty() || !QFileInfo::exists(m_logoPath))
        return;
    QImage image(m_logoPath);
    if (image.isNull()) {
        qCWarning(lcLabelAppearance) << "The logo file" << m_logoPath << "could not be decoded";
        return;
    }
    m_logoImage = image;
}

template <typename Apply> void LabelAppearanceStore::forEachPeer(Apply apply)
{
    QList<LabelAppearanceStore *> peers;
    {
        QMutexLocker lock(&g_storesMutex);
        for (LabelAppearanceStore *store : std::as_const(g_stores))
            if (store != this && store->settingsInUse() == settingsInUse() && store->m_logoPath == m_logoPath)
                peers.append(store);
    }
    for (LabelAppearanceStore *store : std::as_const(peers))
        apply(*store);
}

void LabelAppearanceStore::applyFontChoice(LabelFontChoice choice)
{
    if (m_fontChoice == choice)
        return;
    m_fontChoice = choice;
    Q_EMIT fontChoiceChanged(choice);
}

void LabelAppearanceStore::applyColorMode(LabelColorMode mode)
{
    if (m_colorMode == mode)
        return;
    m_colorMode = mode;
    Q_EMIT colorModeChanged(mode);
}

void LabelAppearanceStore::applyStyle(LabelVariant style)
{
    if (m_style == style)
        return;
    m_style = style;
    Q_EMIT styleChanged(style);
}

void LabelAppearanceStore::applyLogo(const std::optional<QImage> &logo)
{
    if (!logo && !m_logoImage)
        return;
    m_logoImage = logo;
    Q_EMIT logoImageChanged();
}

void LabelAppearanceStore::setFontChoice(LabelFontChoice choice)
{
    settings().setString(fontKey, rawValue(choice));
    commitSettings();
    applyFontChoice(choice);
    forEachPeer([choice](LabelAppearanceStore &peer) { peer.applyFontChoice(choice); });
}

void LabelAppearanceStore::setColorMode(LabelColorMode mode)
{
    settings().setString(colorModeKey, rawValue(mode));
    commitSettings();
    applyColorMode(mode);
    forEachPeer([mode](LabelAppearanceStore &peer) { peer.applyColorMode(mode); });
}

void LabelAppearanceStore::setStyle(LabelVariant style)
{
    settings().setString(styleKey, rawValue(style));
    commitSettings();
    applyStyle(style);
    forEachPeer([style](LabelAppearanceStore &peer) { peer.applyStyle(style); });
}

void LabelAppearanceStore::commitSettings()
{
    const std::optional<QString> failure = settings().commit();
    if (failure)
        qCCritical(lcLabelAppearance, "Label appearance not saved: %s", qUtf8Printable(*failure));
    const QString error = failure.value_or(QString());
    if (error != m_saveError) {
        m_saveError = error;
        Q_EMIT saveErrorChanged();
    }
    Q_EMIT saveFinished(failure);
}

LabelAppearance LabelAppearanceStore::appearance() const
{
    return LabelAppearance{m_fontChoice, m_logoImage, m_colorMode};
}

void LabelAppearanceStore::setLogo(const QString &imagePath)
{
    QImage loaded;
    try {
        loaded = printkit::decodeImageFile(imagePath, QSize(kMaxLogoSide, kMaxLogoSide));
    } catch (const printkit::ImageDecodeError &error) {
        qCCritical(lcLabelAppearance, "Failed to load image from %s", qUtf8Printable(imagePath));
        throw LabelAppearanceError(QStringLiteral("The image %1 could not be read: %2")
                                       .arg(QDir::toNativeSeparators(imagePath), error.message()));
    }

    const double factor =
        std::min({double(kMaxLogoSide) / loaded.width(), double(kMaxLogoSide) / loaded.height(), 1.0});
    const QSize size(std::max(1, int(std::lround(loaded.width() * factor))),
                     std::max(1, int(std::lround(loaded.height() * factor))));
    QImage scaled(size, QImage::Format_ARGB32_Premultiplied);
    scaled.fill(Qt::transparent);
    {
        QPainter painter(&scaled);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setOpacity(1.0);
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), loaded, QRectF(loaded.rect()));
    }

    QByteArray png;
    {
        QBuffer buffer(&png);
        QImageWriter writer(&buffer, "png");
        if (!buffer.open(QIODevice::WriteOnly) || !writer.write(scaled)) {
            qCCritical(lcLabelAppearance, "Failed to create PNG data");
            throw LabelAppearanceError(
                QStringLiteral("The logo could not be converted to PNG: %1").arg(writer.errorString()));
        }
    }

    try {
        if (m_logoPath.isEmpty())
            throw Error(QStringLiteral("This system reports no folder for application data"));
        const QString folder = QFileInfo(m_logoPath).absolutePath();
        if (!QDir().mkpath(folder))
            throw Error(
                QStringLiteral("The folder %1 could not be created").arg(QDir::toNativeSeparators(folder)));
        paths::writeFileAtomically(m_logoPath, png);
    } catch (const Error &error) {
        qCCritical(lcLabelAppearance, "Failed to save logo: %s", qUtf8Printable(error.message()));
        throw LabelAppearanceError(QStringLiteral("The logo could not be saved: %1").arg(error.message()));
    }

    // Kept as it reads back from the file, so this store and a fresh one agree.
    QImage stored;
    stored.loadFromData(png, "png");
    const std::optional<QImage> logo = stored.isNull() ? scaled : stored;
    m_logoImage = logo;
    Q_EMIT logoImageChanged();
    forEachPeer([&logo](LabelAppearanceStore &peer) { peer.applyLogo(logo); });
    qCInfo(lcLabelAppearance, "Logo saved to %s", qUtf8Printable(m_logoPath));
}

void LabelAppearanceStore::removeLogo()
{
    if (!m_logoPath.isEmpty() && QFileInfo::exists(m_logoPath)) {
        QFile file(m_logoPath);
        if (!file.remove()) {
            qCCritical(lcLabelAppearance, "Failed to remove logo: %s", qUtf8Printable(file.errorString()));
            throw LabelAppearanceError(QStringLiteral("The logo file %1 could not be deleted: %2")
                                           .arg(QDir::toNativeSeparators(m_logoPath), file.errorString()));
        }
    }
    applyLogo(std::nullopt);
    forEachPeer([](LabelAppearanceStore &peer) { peer.applyLogo(std::nullopt); });
    qCInfo(lcLabelAppearance, "Logo cleared");
}

} // namespace quill
