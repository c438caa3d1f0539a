// The show's label record through the application's live show and print queue: lines
// the disk refused reach it once there is room, before any later line, by themselves
// within the record's retry interval or at the latest when the program ends, and the
// seller is warned until they do, so a restart prints no label twice; and a label whose
// lp outlives the program is still recorded when lp ends.
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
    static constexpr std::chrono::milliseconds kRetry = LabelRecordStore::kRetryInterval;

    // A win of a buyer of its own: a box number line and two labels, printed.
    ::testing::AssertionResult win(int number)
    {
        const int printed = submissions();
        showWin(QStringLiteral("buyer%1").arg(number), QString::number(number), number);
        if (eventually([&] {
                return submissions() == printed + 2 && printedAll() && backendAuctions().size() == number &&
                       !sync().isUploading();
            }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "win " << number << ": " << submissions() - printed << " of 2 labels sent, "
               << backendAuctions().size() << " auctions on the backend";
    }

    // A printing show over a data folder on a small tmpfs, with one win on disk. The
    // record's own retry waits until the test lets it go on.
    void openShowOnASmallDisk()
    {
        QString whyNot;
        m_disk = FullDisk::over(FullDisk::Kind::tmpfs, paths::dataFolder(), &whyNot);
        if (!m_disk)
            GTEST_SKIP() << whyNot.toStdString();
        openPrintingShow();
        m_showId = sync().activeShowId();
        m_sleeper.held.insert(kRetry.count());
        ASSERT_TRUE(win(1));
        EXPECT_TRUE(show().notice().isEmpty()) << show().notice().toStdString();
    }

    // The disk fills; the record's last page still takes a few lines, then none. Three
    // more buyers' labels print while their lines are refused. Answers once the last of
    // them was reported refused, so that nothing is on its way to the disk.
    void winWhileTheDiskIsFull(int &number)
    {
        m_disk->fill();
        const quill::testing::LogCapture refusals("app.quillmark.Quillmark.LiveShowView");
        const int first = number;
        while (number < first + 100 && show().notice().isEmpty())
            ASSERT_TRUE(win(++number));
        ASSERT_EQ(show().notice(), LiveShowSession::kLabelRecordWriteNotice);
        for (const int last = number + 3; number < last;) {
            ASSERT_TRUE(win(++number));
            EXPECT_EQ(show().notice(), LiveShowSession::kLabelRecordWriteNotice) << "win " << number;
        }
        ASSERT_TRUE(eventually([&] {
            return !refusals
                        .matching(QStringLiteral("app.quillmark.Quillmark.LiveShowView"), QtCriticalMsg,
                                  QStringLiteral("Box #%1 @buyer%1 was not recorded").arg(number))
                        .isEmpty();
        }));
    }

    // The program ends, killed or quit; the page keeps its wins.
    void endProgram()
    {
        m_wins = page().wins;
        destroyApp();
    }

    // Started again on the same show, without an end: every label went to lp once.
    void resumeAndExpectEachLabelSentOnce(int number)
    {
        if (m_app)
            endProgram();
        ASSERT_NO_FATAL_FAILURE(startApp());
        page().wins = m_wins;
        ASSERT_NO_FATAL_FAILURE(openLiveShow());
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

    bool recordHoldsEveryWin(int number) const
    {
        const LabelRecord written = record();
        return written.boxNumbers.size() == number && written.boxLabels.size() == number &&
               written.winnerLabels.size() == number;
    }

    LabelRecord record() const { return LabelRecordStore::forShow(m_showId).load(); }

    QString m_showId;
    QList<QJsonObject> m_wins;
    std::unique_ptr<FullDisk> m_disk; // goes after TearDown, once the program is gone
};

} // namespace

TEST_F(LiveShowRecord, LinesTheDiskRefusedAreWrittenOnceItHasRoomAndARestartPrintsNothingTwice)
{
    ASSERT_NO_FATAL_FAILURE(openShowOnASmallDisk());
    if (IsSkipped())
        return;
    int number = 1;
    ASSERT_NO_FATAL_FAILURE(winWhileTheDiskIsFull(number));
    // Room again once the last refused line was reported, before anything is written.
    m_disk->makeRoom();
    settle();
    EXPECT_EQ(show().notice(), LiveShowSession::kLabelRecordWriteNotice) << "nothing written yet";
    EXPECT_LT(record().winnerLabels.size(), number - 3);

    // The next label's lines (the record's own retry still waiting) go after the refused ones; the warning
    // goes with them.
    for (const int last = number + 2; number < last;) {
        ASSERT_TRUE(win(++number));
        EXPECT_TRUE(show().notice().isEmpty()) << show().notice().toStdString();
    }
    EXPECT_TRUE(eventually([&] { return record().boxLabels.size() == number; }));
    EXPECT_TRUE(recordHoldsEveryWin(number));
    for (const LabelRecord::Settled &label : record().winnerLabels)
        EXPECT_TRUE(label.printed);

    // Killed and started again on the same show, without an end: nothing is printed again.
    resumeAndExpectEachLabelSentOnce(number);
}

TEST_F(LiveShowRecord,
       RefusedLinesReachTheDiskWithoutALaterLabelWithinTheRetryOrAtTheEndAndNothingPrintsTwice)
{
    ASSERT_NO_FATAL_FAILURE(openShowOnASmallDisk());
    if (IsSkipped())
        return;
    int number = 1;

    // Refused lines, then room, and no more wins: the record tries them again itself
    // after its retry pause, and the warning goes once they are on disk.
    ASSERT_NO_FATAL_FAILURE(winWhileTheDiskIsFull(number));
    // One retry waits while lines are kept (and one of the pending file's, refused as well).
    EXPECT_GE(m_sleeper.waiting(kRetry), 1);
    EXPECT_LE(m_sleeper.waiting(kRetry), 2);
    m_disk->makeRoom();
    settle();
    EXPECT_FALSE(recordHoldsEveryWin(number)) << "written before the retry pause ended";
    const int sent = submissions();
    m_sleeper.release(kRetry);
    EXPECT_TRUE(eventually([&] { return show().notice().isEmpty(); })) << show().notice().toStdString();
    // On disk while the program still runs: a crash now loses nothing.
    EXPECT_TRUE(recordHoldsEveryWin(number));
    EXPECT_EQ(submissions(), sent);
    EXPECT_EQ(m_sleeper.waiting(kRetry), 0) << "the retry stops once they are written";
    ASSERT_NO_FATAL_FAILURE(resumeAndExpectEachLabelSentOnce(number));

    // Refused again on the resumed show, room again, and the program quits before the
    // retry pause ends: the lines are tried once more before it is gone.
    m_sleeper.held.insert(kRetry.count());
    ASSERT_NO_FATAL_FAILURE(winWhileTheDiskIsFull(number));
    m_disk->makeRoom();
    settle();
    EXPECT_FALSE(recordHoldsEveryWin(number)) << "written before the program quit";
    endProgram();
    EXPECT_TRUE(recordHoldsEveryWin(number));
    resumeAndExpectEachLabelSentOnce(number);
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

TEST_F(LiveShowRecord,
       ALabelOfAnEndedShowThatEndsWhileTheNextShowRunsIsNotRecordedThereAndTheNextShowPrintsEachLabelOnce)
{
    // Show A: ann's labels are with lp when the show ends.
    openPrintingShow();
    const QString showA = sync().activeShowId();
    m_cups.holdSubmissions();
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    ASSERT_TRUE(eventually([&] { return m_cups.heldSubmissions() == 1 && backendAuctions().size() == 1; }));
    show().endCurrentShow();
    ASSERT_TRUE(eventually([&] { return sync().activeShowId().isEmpty() && !show().isEndingShow(); }));

    // Show B on the next stream starts before they are out.
    const QString next = QStringLiteral("show-77");
    const int done = m_captureTasksDone;
    page().wins.clear();
    sync().setActiveStreamId(next);
    page().arrive(liveURL(next));
    show().liveContentShown();
    ASSERT_TRUE(eventually([&] { return m_captureTasksDone > done && !sync().activeShowId().isEmpty(); }));
    m_showId = sync().activeShowId();
    ASSERT_NE(m_showId, showA);

    // A's labels end at the printer while B runs; then printing pauses, as after every show.
    m_cups.releaseSubmissions();
    ASSERT_TRUE(eventually([&] { return submissions() == 2 && !autoPrint().isPrinting(); }));
    settle();
    EXPECT_FALSE(LabelRecordStore::forShow(showA).exists()) << "the ended show's record is not made again";
    // B has no line yet: A's labels are in neither record.
    const LabelRecord recordB = LabelRecordStore::forShow(m_showId).exists() ? record() : LabelRecord{};
    EXPECT_TRUE(recordB.winnerLabels.isEmpty());
    EXPECT_TRUE(recordB.boxLabels.isEmpty());

    // In B ann wins the same lot at the same price, and bob wins; printing is still paused.
    showWin(QStringLiteral("ann"), QStringLiteral("1"), 1);
    showWin(QStringLiteral("bob"), QStringLiteral("2"), 2);
    ASSERT_TRUE(eventually([&] {
        return autoPrint().printJobs().size() == 6 && m_backend.auctions(m_showId).size() == 2 &&
               !sync().isUploading();
    }));
    EXPECT_EQ(record().boxNumbers.size(), 2);

    // The program restarts and B is resumed: each of B's four labels prints, once.
    endProgram();
    ASSERT_NO_FATAL_FAILURE(startApp());
    page().wins = m_wins;
    page().address = liveURL(next);
    ASSERT_NO_FATAL_FAILURE(openLiveShow(next));
    EXPECT_EQ(sync().activeShowId(), m_showId);
    show().togglePrinting();
    ASSERT_TRUE(eventually([&] { return submissions() == 6 && printedAll(); }))
        << submissions() - 2 << " of B's 4 labels sent";
    const int scans = page().winScans;
    ASSERT_TRUE(eventually([&] { return page().winScans > scans + 5 && !autoPrint().isProcessing(); }));
    settle();
    EXPECT_EQ(submissions(), 6);
    // B's labels (ann's read as A's did: the same buyer, lot, price and box number).
    QSet<QByteArray> files;
    for (const quill::testing::Submission &submission : m_cups.submissions().mid(2))
        files.insert(submission.file);
    EXPECT_EQ(files.size(), 4) << "each label went to lp once";
    EXPECT_TRUE(recordHoldsEveryWin(2));
}
