#include "ui/widgets/symbols.h"

#include "ui/widgets/style.h"

#include <QDir>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>
#include <memory>

namespace quill {

namespace {

// Symbols the icon theme has no fitting picture for, drawn on a 16 x 16 grid.
const char *ownDrawing(const QString &symbol)
{
    static const QHash<QString, const char *> drawings{
        {QStringLiteral("tag"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16"><path fill="none" stroke="#000" stroke-width="1.5" stroke-linejoin="round" d="M1.75 2.75v4.6l7.4 7.4 5.6-5.6-7.4-7.4h-4.6a1 1 0 0 0-1 1z"/><circle cx="5" cy="5" r="1.3"/></svg>)"},
        {QStringLiteral("tag.fill"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16"><path fill-rule="evenodd" d="M1 2.5A1.5 1.5 0 0 1 2.5 1h5.1l8 8-6.6 6.6-8-8zM5 6.4a1.4 1.4 0 1 0 0-2.8 1.4 1.4 0 0 0 0 2.8z"/></svg>)"},
        {QStringLiteral("apple.logo"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16"><path d="M8 4.6c1.2-.9 2.6-1.1 3.7-.6.7.3 1.3.8 1.6 1.4-1.4.8-1.9 2.5-1.1 3.9.3.6.8 1 1.4 1.2-.5 1.5-1.4 3-2.4 3.8-.8.6-1.6.4-2.3.1-.6-.3-1.2-.3-1.8 0-.8.3-1.6.5-2.3-.2C3.2 12.7 2 10.3 2.3 7.9c.2-2 1.6-3.6 3.5-3.6.8 0 1.5.4 2.2.3zM8.1 3.9c-.1-1.5 1-2.8 2.4-2.9.1 1.5-1.1 2.8-2.4 2.9z"/></svg>)"},
        // A filled disc with the cross cut out; the theme's clear icon is a backspace key.
        {QStringLiteral("xmark.circle.fill"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16"><path fill-rule="evenodd" d="M8 1a7 7 0 1 1 0 14A7 7 0 0 1 8 1zM5.4 4.3 4.3 5.4 6.9 8l-2.6 2.6 1.1 1.1L8 9.1l2.6 2.6 1.1-1.1L9.1 8l2.6-2.6-1.1-1.1L8 6.9z"/></svg>)"},
        // A globe of meridian and parallels; the theme's browser icon is not one.
        {QStringLiteral("globe"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16"><g fill="none" stroke="#000" stroke-width="1.2"><circle cx="8" cy="8" r="6.4"/><ellipse cx="8" cy="8" rx="2.7" ry="6.4"/><path d="M1.6 8h12.8M2.7 4.6h10.6M2.7 11.4h10.6"/></g></svg>)"},
        {QStringLiteral("chevron.up.chevron.down"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16"><path fill="none" stroke="#000" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round" d="M4.5 6 8 2.5 11.5 6M4.5 10 8 13.5 11.5 10"/></svg>)"},
        {QStringLiteral("qrcode"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16"><path fill-rule="evenodd" d="M1 1h6v6H1zm1.5 1.5v3h3v-3zM9 1h6v6H9zm1.5 1.5v3h3v-3zM1 9h6v6H1zm1.5 1.5v3h3v-3z"/><path d="M3.5 3.5h1v1h-1zm8 0h1v1h-1zm-8 8h1v1h-1zM9 9h2v2H9zm4 0h2v2h-2zm-2 2h2v2h-2zm-2 2h2v2H9zm4 0h2v2h-2z"/></svg>)"},
        {QStringLiteral("rectangle"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16"><rect x="1.75" y="3.75" width="12.5" height="8.5" rx="1.5" fill="none" stroke="#000" stroke-width="1.5"/></svg>)"},
        {QStringLiteral("ruler"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16"><path fill-rule="evenodd" d="M1 5h14v6H1zm1.5 1.5v3h11v-3z"/><path d="M4 6.5h1v2H4zm2.5 0h1v1.5h-1zm2.5 0h1v2H9zm2.5 0h1v1.5h-1z"/></svg>)"},
    };
    return drawings.value(symbol, nullptr);
}

// Each symbol name the screens use and the theme icon it is drawn with ("" where we draw it
// ourselves).
const QHash<QString, QString> &symbolTable()
{
    static const QHash<QString, QString> table{
        {QStringLiteral("antenna.radiowaves.left.and.right"), QStringLiteral("network-wireless-symbolic")},
        {QStringLiteral("apple.logo"), QString()},
        {QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh-symbolic")},
        {QStringLiteral("arrow.down.doc"), QStringLiteral("document-save-symbolic")},
        {QStringLiteral("arrow.left.and.right.text.vertical"),
         QStringLiteral("format-justify-fill-symbolic")},
        {QStringLiteral("arrow.right.circle"), QStringLiteral("go-next-symbolic")},
        {QStringLiteral("arrow.right.circle.fill"), QStringLiteral("go-next-symbolic")},
        {QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("emblem-synchronizing-symbolic")},
        {QStringLiteral("arrow.uturn.backward"), QStringLiteral("edit-undo-symbolic")},
        {QStringLiteral("arrow.uturn.forward"), QStringLiteral("edit-redo-symbolic")},
        {QStringLiteral("bolt.fill"), QStringLiteral("thunderbolt-symbolic")},
        {QStringLiteral("checkmark"), QStringLiteral("object-select-symbolic")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("emblem-ok-symbolic")},
        {QStringLiteral("chevron.right"), QStringLiteral("pan-end-symbolic")},
        {QStringLiteral("chevron.up.chevron.down"), QString()},
        {QStringLiteral("clipboard"), QStringLiteral("edit-paste-symbolic")},
        {QStringLiteral("clock"), QStringLiteral("preferences-system-time-symbolic")},
        {QStringLiteral("doc.badge.plus"), QStringLiteral("document-new-symbolic")},
        {QStringLiteral("doc.on.clipboard"), QStringLiteral("edit-copy-symbolic")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("dialog-warning-symbolic")},
        {QStringLiteral("eye"), QStringLiteral("view-reveal-symbolic")},
        {QStringLiteral("eye.slash"), QStringLiteral("view-conceal-symbolic")},
        {QStringLiteral("film.stack"), QStringLiteral("video-x-generic-symbolic")},
        {QStringLiteral("gauge"), QStringLiteral("power-profile-performance-symbolic")},
        {QStringLiteral("gear"), QStringLiteral("emblem-system-symbolic")},
        {QStringLiteral("globe"), QString()},
        {QStringLiteral("grid"), QStringLiteral("view-grid-symbolic")},
        {QStringLiteral("link"), QStringLiteral("insert-link-symbolic")},
        {QStringLiteral("macwindow"), QStringLiteral("window-new-symbolic")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("system-search-symbolic")},
        {QStringLiteral("minus.magnifyingglass"), QStringLiteral("zoom-out-symbolic")},
        {QStringLiteral("paintbrush.pointed"), QStringLiteral("applications-graphics-symbolic")},
        {QStringLiteral("pause.fill"), QStringLiteral("media-playback-pause-symbolic")},
        {QStringLiteral("photo"), QStringLiteral("image-x-generic-symbolic")},
        {QStringLiteral("photo.badge.plus"), QStringLiteral("insert-image-symbolic")},
        {QStringLiteral("pip.enter"), QStringLiteral("view-restore-symbolic")},
        {QStringLiteral("pip.exit"), QStringLiteral("view-fullscreen-symbolic")},
        {QStringLiteral("plus"), QStringLiteral("list-add-symbolic")},
        {QStringLiteral("plus.magnifyingglass"), QStringLiteral("zoom-in-symbolic")},
        {QStringLiteral("plus.square.on.square"), QStringLiteral("edit-copy-symbolic")},
        {QStringLiteral("power"), QStringLiteral("system-shutdown-symbolic")},
        {QStringLiteral("printer"), QStringLiteral("printer-symbolic")},
        {QStringLiteral("printer.fill"), QStringLiteral("printer-symbolic")},
        {QStringLiteral("qrcode"), QString()},
        {QStringLiteral("rectangle"), QString()},
        {QStringLiteral("rectangle.grid.1x2"), QStringLiteral("view-paged-symbolic")},
        {QStringLiteral("ruler"), QString()},
        {QStringLiteral("shippingbox.fill"), QStringLiteral("package-x-generic-symbolic")},
        {QStringLiteral("sidebar.right"), QStringLiteral("sidebar-show-right-symbolic")},
        {QStringLiteral("stop.circle.fill"), QStringLiteral("media-playback-stop-symbolic")},
        {QStringLiteral("tag"), QString()},
        {QStringLiteral("tag.fill"), QString()},
        {QStringLiteral("text.aligncenter"), QStringLiteral("format-justify-center-symbolic")},
        {QStringLiteral("text.alignleft"), QStringLiteral("format-justify-left-symbolic")},
        {QStringLiteral("text.alignright"), QStringLiteral("format-justify-right-symbolic")},
        {QStringLiteral("textformat"), QStringLiteral("insert-text-symbolic")},
        {QStringLiteral("trash"), QStringLiteral("user-trash-symbolic")},
        {QStringLiteral("video"), QStringLiteral("camera-video-symbolic")},
        {QStringLiteral("video.badge.waveform"), QStringLiteral("camera-web-symbolic")},
        {QStringLiteral("video.fill"), QStringLiteral("camera-video-symbolic")},
        {QStringLiteral("wrench"), QStringLiteral("applications-engineering-symbolic")},
        {QStringLiteral("wrench.and.screwdriver"), QStringLiteral("applications-engineering-symbolic")},
        {QStringLiteral("wrench.and.screwdriver.fill"), QStringLiteral("applications-engineering-symbolic")},
        {QStringLiteral("xmark"), QStringLiteral("window-close-symbolic")},
        {QStringLiteral("xmark.circle.fill"), QString()},
    };
    return table;
}

// Draws the symbol's shape in one colour at any size: the shape comes from the theme
// icon or our own drawing, the colour replaces whatever the shape was drawn in.
class SymbolIconEngine final : public QIconEngine
{
public:
    SymbolIconEngine(QString symbol, QColor color) : m_symbol(std::move(symbol)), m_color(std::move(color)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const int side = std::min(rect.width(), rect.height());
        const QPixmap picture = render(side, mode, dpr);
        painter->drawPixmap(
            QRect(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2, side, side),
            picture);
        Q_UNUSED(state);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        return render(std::min(size.width(), size.height()), mode, 1.0);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }

    QIconEngine *clone() const override { return new SymbolIconEngine(m_symbol, m_color); }
    QString key() const override { return QStringLiteral("quill.symbol"); }

    QPixmap render(int side, QIcon::Mode mode, qreal dpr) const
    {
        QColor color = m_color;
        if (mode == QIcon::Disabled)
            color.setAlphaF(color.alphaF() * 0.35f);
        return symbolPixmap(m_symbol, side, color, dpr);
    }

private:
    QString m_symbol;
    QColor m_color;
};

} // namespace

void installSymbolTheme()
{
    // Some platform plugins (offscreen, minimal) know no icon folders: add the XDG ones.
    QStringList paths = QIcon::themeSearchPaths();
    QStringList dataDirs = qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (dataDirs.isEmpty())
        dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    bool added = false;
    for (const QString &dir : dataDirs) {
        const QString icons = dir + QStringLiteral("/icons");
        if (!paths.contains(icons) && QDir(icons).exists()) {
            paths.append(icons);
            added = true;
        }
    }
    if (added)
        QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

const QStringList &designSymbolNames()
{
    static const QStringList names = [] {
        QStringList all = symbolTable().keys();
        all.sort();
        return all;
    }();
    return names;
}

QPixmap symbolPixmap(const QString &symbol, int size, const QColor &color, qreal dpr)
{
    const auto entry = symbolTable().constFind(symbol);
    if (entry == symbolTable().constEnd() || size <= 0)
        return {};
    // Rows of long lists draw the same few symbols over and over: render each once.
    const QString key =
        QStringLiteral("quill-symbol:%1:%2:%3:%4").arg(symbol).arg(size).arg(color.rgba()).arg(dpr);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    installSymbolTheme();
    const int device = qRound(size * dpr);
    QImage image(device, device, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        if (entry->isEmpty()) {
            QSvgRenderer renderer(QByteArray(ownDrawing(symbol)));
            renderer.render(&painter, QRectF(0, 0, device, device));
        } else {
            QIcon::fromTheme(*entry).paint(&painter, QRect(0, 0, device, device));
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon symbolIcon(const QString &symbol, const QColor &color)
{
    if (!symbolTable().contains(symbol))
        return {};
    return QIcon(new SymbolIconEngine(symbol, color));
}

QIcon symbolIcon(const QString &symbol)
{
    return symbolIcon(symbol, primaryTextColor());
}

} // namespace quill
