#pragma once

#include "capture/page_script_source.h"

#include <QCoroTask>
#include <QDate>
#include <QJsonValue>
#include <QLocale>
#include <QString>
#include <optional>

namespace quill {

// The scripts the live show screen runs in the marketplace page: they adapt the
// page to the 40 % strip (clean stream) or to the small floating box
// (picture-in-picture), undo that, mute the page and read the stream's title.
// Texts are resources under :/capture/scripts/live_*.js.
//
// Runs go through the page-script host the source gives at the time of the call;
// a failed run is logged and reported as false, and the caller goes on.
class LivePageScripts final
{
public:
    enum class Script
    {
        cleanStream,            // marks the page's controls and overlays with data-qm-hide and hides them
        removeCleanStream,      // unmarks them and empties the "quillmark-clean-stream" style
        pictureInPicture,       // marks everything but the video (or canvas) and its ancestors with
                                // data-qm-pip-hide
        removePictureInPicture, // unmarks them and empties the "quillmark-pip" style
        mute,                   // mutes every video and audio element
        streamTitle,            // answers the JSON text {"title": string or null}
    };

    LivePageScripts() = delete;

    static const QString &text(Script script);
    static QString name(Script script); // resource name, also used in log lines

    // Runs one script; answers whether it ran (a failure is logged).
    static QCoro::Task<bool> run(PageScriptSource source, Script script);

    // After capture started and after each page address of a live stream: the
    // strip gets the clean stream when it is wanted, the box gets picture-in-picture.
    static QCoro::Task<> applySettleRule(PageScriptSource source, bool expanded, bool streamClean);
    // When the page moves between the box and the strip (`expanded` is the new state).
    static QCoro::Task<> applyExpansionRule(PageScriptSource source, bool expanded, bool streamClean);

    // The title for a new show record: the page's stream title, or the dated
    // fallback when the page gives none.
    static QCoro::Task<QString> showTitle(PageScriptSource source, QDate today, QLocale locale = QLocale());

    // Reads the stream-title script's answer: `answer` is the run's value, or
    // nullopt when the run failed. The answer must be JSON text of an object whose
    // "title" is a non-empty string; anything else gives datedShowTitle().
    static QString showTitleFromAnswer(const std::optional<QJsonValue> &answer, QDate today,
                                       const QLocale &locale = QLocale());
    // "Whatnot Live - " and the date as "MMM d, yyyy" in `locale`.
    static QString datedShowTitle(QDate today, const QLocale &locale = QLocale());
};

} // namespace quill
