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

    // The win scan answering every notice on the page, with the cursor of its answer.
    // It leaves the scan on the page for the calls with a cursor.
    static const QString &winScan();
    // The win scan answering only what is new or changed since the answer that
    // carried `cursor`, when that is the page's last answer; every notice otherwise.
    // It answers null on a page that has no scan yet (one loaded since the cursor's
    // answer): the scan without a cursor is then to be run. A cursor that is not a
    // plain token (as the page makes them) asks for every notice.
    static QString winScan(const QString &cursor);
    static const QString &bidObserver();
    static const QString &bidderRead();
    static const QString &scrollToShop();
    static const QString &soldTab();
    static const QString &rowCount();
    static const QString &soldScrape();
};

} // namespace quill
