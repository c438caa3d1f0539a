#include "designer/template_variables.h"

namespace quill {

QString resolvePlaceholders(const QString &text, const TemplateVariables &variables, const Clock &clock,
                            const QLocale &locale)
{
    QString result = text;
    result.replace(QStringLiteral("{{username}}"), variables.username);
    result.replace(QStringLiteral("{{price}}"), variables.price);
    result.replace(QStringLiteral("{{auctionNumber}}"), variables.auctionNumber);
    result.replace(QStringLiteral("{{itemTitle}}"), variables.itemTitle);
    result.replace(QStringLiteral("{{showTitle}}"), variables.showTitle);
    result.replace(QStringLiteral("{{boxNumber}}"), variables.boxNumber);
    const QString date = variables.date.isEmpty()
                             ? locale.toString(clock.now().toLocalTime().date(), QLocale::ShortFormat)
                             : variables.date;
    result.replace(QStringLiteral("{{date}}"), date);
    return result;
}

const QList<TemplateVariable> &availableVariables()
{
    static const QList<TemplateVariable> variables{
        {QStringLiteral("username"), QStringLiteral("Buyer's username")},
        {QStringLiteral("price"), QStringLiteral("Sale price")},
        {QStringLiteral("auctionNumber"), QStringLiteral("Auction number")},
        {QStringLiteral("itemTitle"), QStringLiteral("Item title")},
        {QStringLiteral("showTitle"), QStringLiteral("Show title")},
        {QStringLiteral("boxNumber"), QStringLiteral("Box number")},
        {QStringLiteral("date"), QStringLiteral("Current date")},
    };
    return variables;
}

} // namespace quill
