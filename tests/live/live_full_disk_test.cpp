// The live screen on a full disk: a win whose label record or pending upload cannot be
// written is on the error line, in words that say what is at risk and what to do, until
// the disk takes writes again. The disk is a real tmpfs where the machine allows the
// mount, else the same refusal through a file-size cap.
#include "common/paths.h"
#include "full_disk.h"
#include "live_fixture.h"

#include <gtest/gtest.h>

using namespace quill;
using quill::testing::eventually;
using quill::testing::fullDiskName;
using quill::testing::FullDiskTest;
using quill::testing::kEveryFullDisk;
using quill::testing::LiveFixture;

namespace {

class LiveOnAFullDisk : public LiveFixture, public FullDiskTest
{
protected:
    // A win of a buyer of its own, so each writes a box number as well as its labels.
    void win(int number)
    {
        const qsizetype jobs = autoPrint().printJobs().size();
        showWin(QStringLiteral("buyer%1").arg(number), QString::number(number), number);
        ASSERT_TRUE(eventually([&] {
            return autoPrint().printJobs().size() == jobs + 2 && !autoPrint().isProcessing() &&
                   !sync().isUploading();
        }));
    }
};

INSTANTIATE_TEST_SUITE_P(Disks, LiveOnAFullDisk, kEveryFullDisk, fullDiskName);

} // namespace

TEST_P(LiveOnAFullDisk, AWriteTheDiskRefusesIsOnTheErrorLineUntilWritesSucceedAgain)
{
    if (!diskOver(paths::dataFolder()))
        GTEST_SKIP() << whyNot();
    openPrintingShow();
    int number = 1;
    win(number);
    EXPECT_TRUE(controller().status().errorText.isEmpty()) << controller().status().errorText.toStdString();

    disk().fill();
    while (number < 40 && (show().notice().isEmpty() || sync().syncError().isEmpty()))
        win(++number);
    EXPECT_EQ(show().notice(), LiveShowSession::kLabelRecordWriteNotice);
    const QString error = sync().syncError();
    EXPECT_TRUE(error.startsWith(QStringLiteral("Failed to save pending auctions: ")) &&
                error.contains(QStringLiteral("free up disk space")))
        << error.toStdString();
    EXPECT_EQ(controller().status().errorText, error) << "the synchroniser's error comes first";
    win(++number);
    EXPECT_EQ(controller().status().errorText, error) << "still full";

    // Room again: the next win is written whole, and the line clears.
    disk().makeRoom();
    win(++number);
    EXPECT_TRUE(show().notice().isEmpty()) << show().notice().toStdString();
    EXPECT_TRUE(sync().syncError().isEmpty()) << sync().syncError().toStdString();
    EXPECT_TRUE(controller().status().errorText.isEmpty()) << controller().status().errorText.toStdString();
    destroyApp();
}
