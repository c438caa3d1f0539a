#include "capture/live_page_scripts.h"

#include "capture/page_scripts.h"
#include "common/error.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

namespace quill {

namespace {

Q_LOGGING_CATEGORY(lcLivePageScripts, "app.quillmark.Quillmark.LiveShowView")

} // namespace

QString LivePageScripts::name(Script script)
{
    switch (script) {
    case Script::cleanStream:
        return QStringLiteral("live_clean_stream");
    case Script::removeCleanStream:
        return QStringLiteral("live_remove_clean_stream");
    case Script::pictureInPicture:
        return QStringLiteral("live_pip");
    case Script::removePictureInPicture:
        return QStringLiteral("live_remove_pip");
    case Script::mute:
        return QStringLiteral("live_mute");
    case Script::streamTitle:
        return QStringLiteral("live_stream_title");
    }
    Q_UNREACHABLE();
}

const QString &LivePageScripts::text(Script script)
{
    // Built on first use and shared afterwards.
    static const QString texts[] = {
        PageScripts::assemble({name(Script::cleanStream)}),
        PageScripts::assemble({name(Script::removeCleanStream)}),
        PageScripts::assemble({name(Script::pictureInPicture)}),
        PageScripts::assemble({name(Script::removePictureInPicture)}),
        PageScripts::assemble({name(Script::mute)}),
        PageScripts::assemble({name(Script::streamTitle)}),
    };
    return texts[static_cast<int>(script)];
}

QCoro::Task<bool> LivePageScripts::run(PageScriptSource source, Script script)
{
    try {
        PageScriptHost &host = requirePageScriptHost(source);
        co_await host.run(text(script));
        co_return true;
    } catch (const std::exception &e) {
        qCWarning(lcLivePageScripts, "Page script %s failed: %s", qUtf8Printable(name(script)),
                  qUtf8Printable(errorMessage(e)));
    }
    co_return false;
}

QCoro::Task<> LivePageScripts::applySettleRule(PageScriptSource source, bool expanded, bool streamClean)
{
    if (!expanded)
        co_await run(source, Script::pictureInPicture);
    else if (streamClean)
        co_await run(source, Script::cleanStream);
}

QCoro::Task<> LivePageScripts::applyExpansionRule(PageScriptSource source, bool expanded, bool streamClean)
{
    if (expanded) {
        co_await run(source, Script::removePictureInPicture);
        if (streamClean)
            co_await run(source, Script::cleanStream);
    } else {
        co_await run(source, Script::removeCleanStream);
        co_await run(source, Script::pictureInPicture);
    }
}

QCoro::Task<QString> LivePageScripts::showTitle(PageScriptSource source, QDate today, QLocale locale)
{
    std::optional<QJsonValue> answer;
    try {
        PageScriptHost &host = requirePageScriptHost(source);
        answer = co_await host.run(text(Script::streamTitle));
    } catch (const std::exception &e) {
        qCWarning(lcLivePageScripts, "Page script %s failed: %s", qUtf8Printable(name(Script::streamTitle)),
                  qUtf8Printable(errorMessage(e)));
    }
    co_return showTitleFromAnswer(answer, today, locale);
}

QString LivePageScripts::showTitleFromAnswer(const std::optional<QJsonValue> &answer, QDate today,
                                             const QLocale &locale)
{
    if (answer && answer->isString()) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(answer->toString().toUtf8(), &error);
        if (error.error == QJsonParseError::NoError && document.isObject()) {
            const QJsonValue title = document.object().value(QLatin1String("title"));
            if (title.isString() && !title.toString().isEmpty())
                return title.toString();
        }
    }
    return datedShowTitle(today, locale);
}

QString LivePageScripts::datedShowTitle(QDate today, const QLocale &locale)
{
    return QStringLiteral("Whatnot Live - ") + locale.toString(today, QStringLiteral("MMM d, yyyy"));
}

} // namespace quill
