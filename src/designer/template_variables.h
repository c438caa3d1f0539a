#pragma once

#include "common/clock.h"

#include <QList>
#include <QLocale>
#include <QString>

namespace quill {

// The values a variable text or QR element is filled in with, inserted unchanged.
struct TemplateVariables
{
    QString username;
    QString price;
    QString auctionNumber;
    QString itemTitle;
    QString showTitle;
    QString boxNumber;
    QString date; // empty: today, in the locale's short date form
};

// Replaces "{{username}}", "{{price}}", "{{auctionNumber}}", "{{itemTitle}}",
// "{{showTitle}}", "{{boxNumber}}" and "{{date}}" in that order, each over the result
// of the one before, so a value holding a later placeholder gets it filled in too.
QString resolvePlaceholders(const QString &text, const TemplateVariables &variables,
                            const Clock &clock = SystemClock::instance(), const QLocale &locale = QLocale());

struct TemplateVariable
{
    QString name;
    QString description;
};

// The variables the editors offer, in the order they list them.
const QList<TemplateVariable> &availableVariables();

} // namespace quill
