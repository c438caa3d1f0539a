#include "printing/print_job.h"

#include <QUuid>

namespace quill {

namespace {

bool sameItems(const QList<GroupedItem> &a, const QList<GroupedItem> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).auctionNumber != b.at(i).auctionNumber || a.at(i).title != b.at(i).title ||
            a.at(i).price != b.at(i).price)
            return false;
    }
    return true;
}

bool sameContent(const LabelContent &a, const LabelContent &b)
{
    if (const auto *x = a.as<LabelContent::Individual>()) {
        const auto *y = b.as<LabelContent::Individual>();
        return y && x->username == y->username && x->price == y->price &&
               x->auctionNumber == y->auctionNumber && x->boxNumber == y->boxNumber &&
               x->itemTitle == y->itemTitle && x->showTitle == y->showTitle;
    }
    if (const auto *x = a.as<LabelContent::Box>()) {
        const auto *y = b.as<LabelContent::Box>();
        return y && x->buyer == y->buyer && x->boxNumber == y->boxNumber && x->showTitle == y->showTitle;
    }
    const auto *x = a.as<LabelContent::Grouped>();
    const auto *y = b.as<LabelContent::Grouped>();
    return x && y && x->buyer == y->buyer && sameItems(x->items, y->items) && x->total == y->total &&
           x->showTitle == y->showTitle;
}

} // namespace

QString rawValue(LabelMode mode)
{
    switch (mode) {
    case LabelMode::realtime:
        return QStringLiteral("realtime");
    case LabelMode::grouped:
        return QStringLiteral("grouped");
    case LabelMode::both:
        return QStringLiteral("both");
    }
    return QStringLiteral("both");
}

std::optional<LabelMode> labelModeFromRawValue(const QString &text)
{
    for (LabelMode mode : kAllLabelModes) {
        if (rawValue(mode) == text)
            return mode;
    }
    return std::nullopt;
}

QString rawValue(LabelType type)
{
    return type == LabelType::box ? QStringLiteral("box") : QStringLiteral("individual");
}

int labelSectionIndex(LabelType type)
{
    return type == LabelType::box ? 1 : 0;
}

QString PrintJob::makeId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

bool PrintJob::operator==(const PrintJob &other) const
{
    return id == other.id && label == other.label && status == other.status && timestamp == other.timestamp &&
           sameContent(content, other.content) && style == other.style && labelMedia == other.labelMedia &&
           orientation == other.orientation && labelType == other.labelType && auctionId == other.auctionId &&
           show == other.show;
}

QString describe(const PrintJob::Status &status)
{
    switch (status.kind) {
    case PrintJob::Status::Kind::queued:
        return QStringLiteral("queued");
    case PrintJob::Status::Kind::printing:
        return QStringLiteral("printing");
    case PrintJob::Status::Kind::done:
        return QStringLiteral("done");
    case PrintJob::Status::Kind::error:
        return QStringLiteral("error: ") + status.message;
    }
    return QString();
}

} // namespace quill
