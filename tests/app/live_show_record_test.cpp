// The show's label record through the application's live show and print queue: lines
// the disk refused reach it once there is room, before any later line, and the seller
// is warned until they do, so a restart prints no label twice; and a label whose lp
// outlives the program is still recorded when lp ends.
#include "common/paths.h"
#include "full_disk.h"
#include "live_show_fixture.h"
#include "log_capture.h"
#include "printing/label_record_store.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace quill;
using quill::testing::eventually;
using quill::testing::FullDisk;
using quill::testing::LiveShowFixture;
using quill::testing::settle;

namespace {

class LiveShowRecord : public LiveShowFixture
{
protected:
    // A win of a buyer of its own: a box number line and two labels, printed.
    void win(int number)
    {
        const int printed = submissions();
        showWin(QStringLiteral("buyer%1").arg(number), QString::number(number), number);
        ASSERT_TRUE(eventually([&] {
            return submissions() == printed + 2 && printedAll() && backendAuctions().size() == number &&
                   !sync().isUploading();
        }));
    }

    LabelRecord record() const { return LabelRecordStore::forShow(m_showId).load(); }

    QString m_showId;
    std::unique_ptr<FullDisk> m_disk; // goes after TearDown, once the program is gone
};

} // namespace

TEST_F(LiveShowRecord, LinesTheDiskRefusedAreWrittenOnceItHasRoomAndARestartPrintsNothingTwice)
{
    QString whyNot;
    m_disk = FullDisk::over(FullDisk::Kind::tmpfs, paths::dataFolder(), &whyNot);
    if (!m_disk)
        GTEST_SKIP() << whyNot.toStdString();
    openPrintingShow();
    m_showId = sync().activeShowId();
    win(1);
    EXPECT_TRUE(show().notice().isEmpty()) << show().notice().toStdString();

    // The disk fills; the record's last page still takes a few lines, then none. Three
    // more buyers' labels print while their lines are refused.
    m_disk->fill();
    const quill::testing::LogCapture refusals("app.quillmark.Quillmark.LiveShowView");
    int number = 1;
    while (number < 100 && show().notice().isEmpty())
        win(++number);
    ASSERT_EQ(show().notice(), LiveShowSession::kLabelRecordWriteNotice);
    for (const int last = number + 3; number < last;) {
        win(++number);
        EXPECT_EQ(show().notice(), LiveShowSession::kLabelRecordWriteNotice) << "win " << number;
    }
    // Room again once the last refused line was reported, before anything is written.
    ASSERT_TRUE(eventually([&] {
        return !refusals.matching(QStringLiteral("app.quillmark.Quillmark.LiveShowView"), QtCriticalMsg,
                                  QStringLiteral("Box #%1 @buyer%1 was not recorded").arg(number))
                    .isEmpty();
    }));
    m_disk->makeRoom();
    settle();
    EXPECT_EQ(show().notice(), LiveShowSession::kLabelRecordWriteNotice) << "nothing written yet";
    EXPECT_LT(record().winnerLabels.size(), number - 3);

    // The next label's lines go after the refused ones; the warning goes with them.
    for (const int last = number + 2; number < last;) {
        win(++number);
        EXPECT_TRUE(show().notice().isEmpty()) << show().notice().toStdString();
    }
    EXPECT_TRUE(eventually([&] { return record().boxLabels.size() == number; }));
    const LabelRecord written = record();
    EXPECT_EQ(written.boxNumbers.size(), number);
    EXPECT_EQ(written.boxLabels.size(), number);
    EXPECT_EQ(written.winnerLabels.size(), number);
    for (const LabelRecord::Settled &label : written.winnerLabels)
        EXPECT_TRUE(label.printed);

    // Killed and started again on the same show, without an end: nothing is printed again.
    restartOverTheSamePage();
    openLiveShow();
    EXPECT_EQ(sync().activeShowId(), m_showId);
    const int scans = page().winScans;
    ASSERT_TRUE(eventually([&] { return page().winScans > scans + 5 && !autoPrint().isProcessing(); }));
    settle();
    EXPECT_TRUE(show().notice().isEmpty()) << show().notice().toStdString();
    ASSERT_EQ(submissions(), 2 * number);
    QSet<QByteArray> files;
    for (const quill::testing::Submission &submission : m_cups.submissions())
        files.insert(submission.file);
    EXPECT_EQ(files.size(), 2 * number) << "each label went to lp once";
}

TEST_F(LiveShowRecord, ALabelWhoseLpOutlivesTheProgramIsRecordedWhenLpEnds)
{
    openPrintingShow();
    m_showId = sync().activeShowId();
    m_cups.holdSubmissions();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return m_cups.heldSubmissions() == 1 && backendAuctions().size() == 1; }));

    // The program closes, its live show and print queue with it, while lp sends ann's label.
    destroyApp();
    m_cups.releaseSubmissions();
    ASSERT_TRUE(eventually([&] { return record().winnerLabels.size() == 1; }));
    EXPECT_TRUE(record().winnerLabels.cbegin()->printed);
    EXPECT_EQ(submissions(), 1);
}
