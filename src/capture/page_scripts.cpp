#include "capture/page_scripts.h"

#include <QFile>

namespace quill {

namespace {

QString resourceText(const QString &name)
{
    QFile file(QStringLiteral(":/capture/scripts/%1.js").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Page script %s is missing from the program's resources", qUtf8Printable(name));
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString PageScripts::assemble(const QStringList &names)
{
    QString script = QStringLiteral("    ");
    for (const QString &name : names) {
        script += resourceText(name);
        if (!script.endsWith(QLatin1Char('\n')))
            script += QLatin1Char('\n');
    }
    return script;
}

// Built on first use and shared by every caller afterwards.
const QString &PageScripts::winScan()
{
    static const QString script = assemble({QStringLiteral("find_avatar_url"), QStringLiteral("page_text"),
                                            QStringLiteral("win_scan")});
    return script;
}

const QString &PageScripts::bidObserver()
{
    static const QString script = assemble({QStringLiteral("page_text"), QStringLiteral("bid_observer")});
    return script;
}

const QString &PageScripts::bidderRead()
{
    static const QString script = assemble({QStringLiteral("bidder_read")});
    return script;
}

const QString &PageScripts::scrollToShop()
{
    static const QString script = assemble({QStringLiteral("page_text"), QStringLiteral("scroll_to_shop")});
    return script;
}

const QString &PageScripts::soldTab()
{
    static const QString script = assemble({QStringLiteral("page_text"), QStringLiteral("sold_tab")});
    return script;
}

const QString &PageScripts::rowCount()
{
    static const QString script = assemble({QStringLiteral("find_avatar_url"), QStringLiteral("page_text"),
                                            QStringLiteral("sold_rows"), QStringLiteral("row_count")});
    return script;
}

const QString &PageScripts::soldScrape()
{
    static const QString script = assemble({QStringLiteral("find_avatar_url"), QStringLiteral("page_text"),
                                            QStringLiteral("sold_rows"), QStringLiteral("sold_scrape")});
    return script;
}

} // namespace quill
