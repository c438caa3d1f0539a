#pragma once

#include <QString>
#include <QStringList>

namespace quill {

// Page script texts, kept as resources under :/capture/scripts/. A script is the
// body of a function; shared helper functions (scripts/find_avatar_url.js,
// scripts/page_text.js) are put in front of the bodies that call them.
class PageScripts final
{
public:
    PageScripts() = delete;

    // Four spaces, then the named resources joined in order. A missing resource is a
    // build fault, so it stops the program with a message rather than running an
    // empty script.
    static QString assemble(const QStringList &names);

    static const QString &winScan();
    static const QString &bidObserver();
    static const QString &bidderRead();
    static const QString &scrollToShop();
    static const QString &soldTab();
    static const QString &rowCount();
    static const QString &soldScrape();
};

} // namespace quill
