#pragma once

#include "printing/label_appearance.h"
#include "printing/label_content.h"
#include "printing/label_media.h"
#include "printing/orientation.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace quill {

// What automatic printing queues for each new win.
enum class LabelMode
{
    realtime, // a winner label per win and a box label per new buyer
    grouped,  // only the box label per new buyer
    both      // the same jobs as realtime
};

inline constexpr std::array kAllLabelModes{LabelMode::realtime, LabelMode::grouped, LabelMode::both};

// "realtime", "grouped", "both": the stored text and the mode sent with a new show.
QString rawValue(LabelMode mode);
// Exact, case-sensitive raw values only.
std::optional<LabelMode> labelModeFromRawValue(const QString &text);

// The kind of label a print job carries.
enum class LabelType
{
    individual, // winner label
    box
};

// "individual" or "box"; also the word in log lines.
QString rawValue(LabelType type);
// The label-section index whose saved settings the type prints with (0 or 1).
int labelSectionIndex(LabelType type);

// One entry of the automatic print queue, which is also the print log. Every field
// but `status` is fixed when the job is made; jobs live in memory only.
struct PrintJob
{
    struct Status
    {
        enum class Kind
        {
            queued,
            printing,
            done,
            error
        };

        Kind kind = Kind::queued;
        QString message; // why it failed; empty unless kind is error

        static Status queued() { return {Kind::queued, {}}; }
        static Status printing() { return {Kind::printing, {}}; }
        static Status done() { return {Kind::done, {}}; }
        static Status error(QString message) { return {Kind::error, std::move(message)}; }

        bool isQueued() const { return kind == Kind::queued; }
        bool isError() const { return kind == Kind::error; }

        bool operator==(const Status &) const = default;
    };

    QString id;    // a random UUID, upper-case, 36 characters
    QString label; // the log line: "@ann $12.5" or "Box #1 @ann"
    Status status;
    QDateTime timestamp;
    LabelContent content{LabelContent::Box{}};
    LabelVariant style = LabelVariant::bold;
    LabelMedia labelMedia;
    Orientation orientation = Orientation::landscape;
    LabelType labelType = LabelType::individual;
    std::optional<QString> auctionId; // the won auction of a winner label; none for box labels
    // The show it was queued for: the print queue's count of shows when it was made
    // (AutoPrintManager::show()), so that its end is recorded with that show's labels.
    quint64 show = 0;

    // A new job id in the UUID's standard upper-case form.
    static QString makeId();

    // Field by field, the label content included.
    bool operator==(const PrintJob &other) const;
};

// "queued", "printing", "done" or "error: <message>", for logs and test output.
QString describe(const PrintJob::Status &status);

} // namespace quill
