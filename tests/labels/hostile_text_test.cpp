// Texts from outside on the Labels screen read as written: a medium's typed name in its
// tile's tooltip, and the words of a failed save in the error row that reports it.
#include "shown_text.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/labels/print_error_row.h"

#include <QLabel>
#include <algorithm>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

const QString kMarkup = QStringLiteral("<img src=\"file:///usr/share/pixmaps/debian-logo.png\" width=\"900\">"
                                       "<a href=\"https://example.com/\">Jar</a> & <b>lid</b>");

TEST(LabelsHostileText, AMediumsNameIsItsTilesTooltipAsWritten)
{
    MediaTile tile({QStringLiteral("n"), 2, 1, false, kMarkup}, Orientation::landscape);
    EXPECT_EQ(shownText(tile.toolTip()), kMarkup);
}

TEST(LabelsHostileText, AFailedSaveIsReportedAsWritten)
{
    const QString failure =
        QStringLiteral("Could not save /home/seller/") + kMarkup + QStringLiteral(".json");
    PrintErrorRow row;
    row.showSaveFailure(failure);
    const QList<QLabel *> labels = row.findChildren<QLabel *>();
    const auto shown = std::find_if(labels.cbegin(), labels.cend(),
                                    [](const QLabel *label) { return !label->text().isEmpty(); });
    ASSERT_NE(shown, labels.cend());
    EXPECT_EQ(shownText(**shown), failure);
}

} // namespace
