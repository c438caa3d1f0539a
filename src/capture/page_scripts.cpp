#include "capture/page_scripts.h"

#include <QFile>

#include <algorithm>

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

namespace {

// The win scan's functions; a script ends with the call that answers.
const QString &winScanFunctions()
{
    static const QString script = PageScripts::assemble(
        {QStringLiteral("find_avatar_url"), QStringLiteral("page_text"), QStringLiteral("win_scan")});
    return script;
}

// A cursor goes into the script's text: only the page's own token form is let in.
bool isPlainCursor(const QString &cursor)
{
    if (cursor.isEmpty() || cursor.size() > 64)
        return false;
    return std::all_of(cursor.cbegin(), cursor.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' ||
               c == u'-' || c == u'_';
    });
}

// The scan's functions are made on the page by the scan without a cursor and kept
// there. A scan with a cursor only calls them: it follows an answer of the same page,
// and a script this short costs the page next to nothing to compile, where the whole
// scan's text would be compiled afresh at every poll (its cursor changes its text).
// A page loaded since has no scan: the call then answers null.
QString winScanCall(const QString &argument)
{
    return QStringLiteral("    var scan = window.__quillWinScan;\n"
                          "    return typeof scan === 'function' ? scan(") +
           argument + QStringLiteral(") : null;\n");
}

} // namespace

// Built on first use and shared by every caller afterwards.
const QString &PageScripts::winScan()
{
    static const QString script = QStringLiteral("    var scan = window.__quillWinScan;\n"
                                                 "    if (typeof scan !== 'function') {\n"
                                                 "        scan = (function () {\n") +
                                  winScanFunctions() +
                                  QStringLiteral("            return winScanFresh;\n"
                                                 "        })();\n"
                                                 "        window.__quillWinScan = scan;\n"
                                                 "    }\n"
                                                 "    return scan(null);\n");
    return script;
}

QString PageScripts::winScan(const QString &cursor)
{
    if (!isPlainCursor(cursor))
        return winScan();
    return winScanCall(QLatin1Char('\'') + cursor + QLatin1Char('\''));
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
