// The print log model over the real print queue, checked by Qt's model tester: a new
// job is one insert, a status change one dataChanged, Clear one removal, never a reset.
#include "fake_sleeper.h"
#include "printing/auto_print_manager.h"
#include "printing/label_appearance_store.h"
#include "temporary_settings.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/print_job_row_delegate.h"
#include "ui/lists/print_log_model.h"

#include <QAbstractItemModelTester>
#include <QListView>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace quill::testing {
namespace {

PrintJob job(const QString &id, LabelType type = LabelType::individual)
{
    PrintJob j;
    j.id = id;
    j.label = QStringLiteral("@ann $5 ") + id;
    j.timestamp = QDateTime(QDate(2026, 3, 5), QTime(12, 0), Qt::UTC);
    j.content = LabelContent::individual(QStringLiteral("ann"), QStringLiteral("5"), 1, std::nullopt,
                                         std::nullopt, QStringLiteral("Live Show"));
    j.labelMedia = LabelMedia::rect1x2();
    j.labelType = type;
    return j;
}

class PrintLogModelTest : public ::testing::Test
{
protected:
    QStringList ids() const
    {
        QStringList out;
        for (int row = 0; row < m_model.rowCount(); ++row)
            out.append(m_model.index(row).data(LiveListRoles::recordId).toString());
        return out;
    }

    TemporarySettings m_settings;
    FakeSleeper m_sleeper;
    AutoPrintManager m_queue{AutoPrintManagerSetup{&m_sleeper, &SystemClock::instance(), m_settings.get()}};
    PrintLogModel m_model{m_queue};
    QAbstractItemModelTester m_tester{&m_model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QSignalSpy m_inserted{&m_model, &QAbstractItemModel::rowsInserted};
    QSignalSpy m_removed{&m_model, &QAbstractItemModel::rowsRemoved};
    QSignalSpy m_changed{&m_model, &QAbstractItemModel::dataChanged};
    QSignalSpy m_reset{&m_model, &QAbstractItemModel::modelReset};
};

TEST_F(PrintLogModelTest, FollowsTheQueueRowByRow)
{
    m_queue.setPrintJobs({job("B"), job("A")});
    EXPECT_EQ(ids(), (QStringList{"B", "A"}));
    EXPECT_EQ(m_inserted.size(), 1);

    // A new winner label at the front, a box label in the middle: two inserts.
    m_inserted.clear();
    m_queue.setPrintJobs({job("C"), job("B"), job("X", LabelType::box), job("A")});
    EXPECT_EQ(ids(), (QStringList{"C", "B", "X", "A"}));
    EXPECT_EQ(m_inserted.size(), 2);
    EXPECT_TRUE(m_changed.isEmpty());

    // One status change is one dataChanged of that row.
    QList<PrintJob> jobs = m_queue.printJobs();
    jobs[1].status = PrintJob::Status::error(QStringLiteral("Queue stopped"));
    m_inserted.clear();
    m_queue.setPrintJobs(jobs);
    ASSERT_EQ(m_changed.size(), 1);
    EXPECT_EQ(m_changed.first().at(0).toModelIndex().row(), 1);
    EXPECT_EQ(m_changed.first().at(1).toModelIndex().row(), 1);
    EXPECT_TRUE(m_inserted.isEmpty());
    EXPECT_TRUE(m_model.index(1).data(LiveListRoles::printJob).value<PrintJob>().status.isError());

    // Clear: one removal; jobs queued afterwards appear as usual.
    m_queue.setPrintJobs({});
    EXPECT_EQ(m_model.rowCount(), 0);
    EXPECT_EQ(m_removed.size(), 1);
    m_queue.setPrintJobs({job("D")});
    EXPECT_EQ(ids(), (QStringList{"D"}));
    EXPECT_TRUE(m_reset.isEmpty());
}

TEST_F(PrintLogModelTest, JobsGoneFromTheMiddleAndAReorderStayConsistent)
{
    m_queue.setPrintJobs({job("A"), job("B"), job("C"), job("D"), job("E")});
    m_queue.setPrintJobs({job("A"), job("D"), job("E")});
    EXPECT_EQ(ids(), (QStringList{"A", "D", "E"}));
    m_queue.setPrintJobs({job("E"), job("N"), job("A"), job("D")});
    EXPECT_EQ(ids(), (QStringList{"E", "N", "A", "D"}));
    EXPECT_TRUE(m_reset.isEmpty());
}

TEST_F(PrintLogModelTest, ThumbnailsAreDrawnOncePerJobUntilTheAppearanceChanges)
{
    LabelAppearanceStore appearance(*m_settings, QString());
    QListView view;
    view.setModel(&m_model);
    auto *rows = new PrintJobRowDelegate(appearance, &view);
    view.setItemDelegate(rows);
    m_queue.setPrintJobs({job("A"), job("B", LabelType::box), job("C")});
    view.resize(280, 400);
    view.show();
    view.grab();
    EXPECT_EQ(rows->cachedThumbnails(), 3);
    const int drawn = rows->thumbnailsDrawn();
    view.grab();
    EXPECT_EQ(rows->thumbnailsDrawn(), drawn); // painted again from the cache

    appearance.setColorMode(LabelColorMode::grayscale);
    EXPECT_EQ(rows->cachedThumbnails(), 0);
    view.grab();
    EXPECT_EQ(rows->cachedThumbnails(), 3);
    appearance.setFontChoice(LabelFontChoice::serif);
    EXPECT_EQ(rows->cachedThumbnails(), 0);
}

} // namespace
} // namespace quill::testing
