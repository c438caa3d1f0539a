#include "designer/template_variables.h"
#include "designer_fixtures.h"
#include "fake_sleeper.h"

#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

TemplateVariables sample()
{
    return TemplateVariables{QStringLiteral("alice"),     QStringLiteral("$7.99"),  QStringLiteral("#12"),
                             QStringLiteral("Blue vase"), QStringLiteral("Friday"), QStringLiteral("4"),
                             QStringLiteral("2026-02-01")};
}

} // namespace

TEST(TemplateVariables, ResolvePlaceholdersStepByStep)
{
    const FakeClock clock(utc(2026, 1, 15, 9, 30, 0));
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    TemplateVariables chained = sample();
    chained.username = QStringLiteral("{{price}}");
    TemplateVariables backwards = sample();
    backwards.price = QStringLiteral("{{username}}");
    TemplateVariables emptyTitle = sample();
    emptyTitle.itemTitle.clear();
    TemplateVariables today = sample();
    today.date.clear();

    const struct
    {
        QString text;
        TemplateVariables variables;
        QString expected;
    } rows[] = {
        {"No braces here", sample(), "No braces here"},
        {"Box {{boxNumber}} / {{boxNumber}}", sample(), "Box 4 / 4"},
        {"{{username}} paid {{price}} for {{itemTitle}} ({{auctionNumber}}, {{showTitle}}) on {{date}}",
         sample(), "alice paid $7.99 for Blue vase (#12, Friday) on 2026-02-01"},
        {"{{Username}} {{ price }} {{price}", sample(), "{{Username}} {{ price }} {{price}"},
        {"{{unknown}}", sample(), "{{unknown}}"},
        {"{{username}}", chained, "$7.99"},
        {"{{price}}", backwards, "{{username}}"},
        {"[{{itemTitle}}]", emptyTitle, "[]"},
        {"{{date}}", today, "1/15/26"},
        {"{{{{price}}}}", sample(), "{{$7.99}}"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(resolvePlaceholders(row.text, row.variables, clock, us), row.expected)
            << qPrintable(row.text);

    // Today's date follows the locale and the clock.
    const QLocale germany(QLocale::German, QLocale::Germany);
    EXPECT_EQ(resolvePlaceholders(QStringLiteral("{{date}}"), today, clock, germany),
              QStringLiteral("15.01.26"));
    const FakeClock later(utc(2026, 12, 31, 23, 59, 59));
    EXPECT_EQ(resolvePlaceholders(QStringLiteral("{{date}}"), today, later, us), QStringLiteral("12/31/26"));
}

TEST(TemplateVariables, AvailableVariablesNameEveryPlaceholder)
{
    QStringList names;
    for (const TemplateVariable &variable : availableVariables())
        names << variable.name;
    EXPECT_EQ(names, (QStringList{"username", "price", "auctionNumber", "itemTitle", "showTitle", "boxNumber",
                                  "date"}));
    EXPECT_EQ(availableVariables().at(0).description, QStringLiteral("Buyer's username"));
    EXPECT_EQ(availableVariables().at(6).description, QStringLiteral("Current date"));

    // Each listed name is one the resolver fills in.
    const TemplateVariables values{"1", "2", "3", "4", "5", "6", "7"};
    QString all;
    for (const QString &name : names)
        all += QStringLiteral("{{") + name + QStringLiteral("}}");
    EXPECT_EQ(resolvePlaceholders(all, values), QStringLiteral("1234567"));
}
