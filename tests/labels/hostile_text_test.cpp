// Texts from outside on the Labels screen read as written: a medium's typed name in its
// tile's tooltip, and the words of a failed save in the warning that reports it.
#include "shown_text.h"
#include "ui/labels/label_card_widgets.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
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
    QString shown;
    bool asked = false;
    // Answers the warning once it is on screen; exec() returns only then.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible())
                continue;
            asked = true;
            shown = shownText(*box);
            answer.stop();
            box->accept();
            return;
        }
    });
    answer.start(10);
    warnIfUnsaved(nullptr, failure);
    EXPECT_TRUE(asked);
    EXPECT_EQ(shown, failure);
}

} // namespace
