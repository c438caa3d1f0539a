// The live screen on a full disk: a win whose label record or pending upload cannot be
// written, or a show the settings file cannot keep, is on the error line, in words that
// say what is at risk and what to do, until the disk takes writes again. The disk is a
// real tmpfs where the machine allows the mount, else the same refusal through a
// file-size cap.
#include "backend/pending_upload_store.h"
#include "backend/show_sync_service.h"
#include "common/paths.h"
#include "full_disk.h"
#include "live_fixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <gtest/gtest.h>

using namespace quill;
using quill::testing::eventually;
using quill::testing::fullDiskName;
using quill::testing::FullDiskTest;
using quill::testing::kEveryFullDisk;
using quill::testing::LiveFixture;
using quill::testing::settle;
using quill::testing::TmpfsFullDisk;

namespace {

class LiveWins : public LiveFixture
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

class LiveOnAFullDisk : public LiveWins, public FullDiskTest
{
protected:
    // The auctions a start would read back from the pending file and its log.
    static QSet<QString> pendingOnDisk()
    {
        const QString path = paths::dataFile(QString::fromLatin1(ShowSyncService::kPendingFileName));
        QSet<QString> ids;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QJsonArray uploads =
                QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("uploads")).toArray();
            for (const QJsonValue &upload : uploads)
                ids.insert(upload.toObject().value(QStringLiteral("id")).toString());
        }
        for (const PendingUploadStore::LogRecord &record : PendingUploadStore(path).readLog().records) {
            const QString id = record.entry.value(QStringLiteral("id")).toString();
            if (record.kind == PendingUploadStore::LogRecord::Kind::queued)
                ids.insert(id);
            else
                ids.remove(id);
        }
        return ids;
    }
};

INSTANTIATE_TEST_SUITE_P(Disks, LiveOnAFullDisk, kEveryFullDisk, fullDiskName);

// Only the settings file's folder on a small tmpfs: the data folder keeps taking writes.
class LiveSettingsOnAFullDisk : public LiveWins
{
protected:
    void SetUp() override
    {
        LiveWins::SetUp();
        auto disk = std::make_unique<TmpfsFullDisk>(m_settings.folder());
        const QString refused = disk->mount();
        if (!refused.isEmpty())
            GTEST_SKIP() << refused.toStdString();
        m_settingsDisk = std::move(disk);
    }
    void TearDown() override
    {
        LiveWins::TearDown();
        m_settingsDisk.reset();
    }

    // What a later start reads: the settings file as it is on disk.
    std::optional<QString> storedShowId()
    {
        const QString copy = m_home.filePath(QStringLiteral("settings-copy-%1.ini").arg(++m_copies));
        QFile::copy(m_settings.filePath(QStringLiteral("settings.ini")), copy);
        return Settings(copy).optionalString(QString::fromLatin1(ShowSyncService::kShowIdKey));
    }

    std::unique_ptr<TmpfsFullDisk> m_settingsDisk;
    int m_copies = 0;
};

} // namespace

TEST_F(LiveSettingsOnAFullDisk, AShowTheSettingsCannotKeepIsOnTheErrorLineUntilTheyAreSaved)
{
    startApp();
    m_settingsDisk->fill();
    openLiveShow();
    show().togglePrinting();
    win(1);
    ASSERT_FALSE(sync().activeShowId().isEmpty());
    const QString error = controller().status().errorText;
    EXPECT_TRUE(error.startsWith(QStringLiteral("The live show could not be saved: ")) &&
                error.contains(QStringLiteral("free up disk space"), Qt::CaseInsensitive))
        << error.toStdString();
    EXPECT_EQ(storedShowId(), std::nullopt);
    win(2);
    EXPECT_EQ(controller().status().errorText, error) << "still full";

    // Room again: the next win saves the show, and the line clears.
    m_settingsDisk->makeRoom();
    win(3);
    EXPECT_TRUE(controller().status().errorText.isEmpty()) << controller().status().errorText.toStdString();
    EXPECT_EQ(storedShowId(), sync().activeShowId());
    destroyApp();
}

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

TEST_P(LiveOnAFullDisk,
       WinsTheDiskRefusedReachThePendingFileWithinTheRetryWithoutALaterWinAndARestartUploadsEachOnce)
{
    using namespace std::chrono_literals;
    if (!diskOver(paths::dataFolder()))
        GTEST_SKIP() << whyNot();
    // The pending file's retry (and the label record's, of the same length) waits until the test lets it go
    // on.
    m_sleeper.held.insert(std::chrono::milliseconds(ShowSyncService::kSaveRetryInterval).count());
    openPrintingShow();
    // The backend fails every upload: the wins wait in the pending file, their upload backing off.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), standin::Fault::status(503));
    // A win whose labels printed and whose upload's record was reported, on disk or refused.
    const auto winWhileUploadsWait = [&](int number) {
        const qsizetype jobs = autoPrint().printJobs().size();
        showWin(QStringLiteral("buyer%1").arg(number), QString::number(number), number);
        return eventually([&] {
            const DiskWriter *writer = sync().pendingWriter();
            return autoPrint().printJobs().size() == jobs + 2 && !autoPrint().isProcessing() &&
                   sync().pendingUploadCount() == number && writer && writer->reported() == writer->posted();
        });
    };
    int number = 1;
    ASSERT_TRUE(winWhileUploadsWait(number));
    EXPECT_EQ(pendingOnDisk().size(), 1);

    // The disk runs full: wins come until one cannot be written, and one more after that.
    disk().fill();
    while (number < 60 && sync().syncError().isEmpty())
        ASSERT_TRUE(winWhileUploadsWait(++number));
    const QString error = sync().syncError();
    ASSERT_TRUE(error.startsWith(QStringLiteral("Failed to save pending auctions: "))) << error.toStdString();
    ASSERT_TRUE(winWhileUploadsWait(++number));
    EXPECT_LT(pendingOnDisk().size(), number);

    // Room again, and no more wins: nothing is written before the retry's pause ends.
    disk().makeRoom();
    settle();
    EXPECT_EQ(controller().status().errorText, error);
    EXPECT_LT(pendingOnDisk().size(), number);
    m_sleeper.release(ShowSyncService::kSaveRetryInterval);
    EXPECT_TRUE(eventually([&] { return pendingOnDisk().size() == number; }))
        << pendingOnDisk().size() << " of " << number << " wins in the pending file";
    EXPECT_TRUE(eventually([&] { return controller().status().errorText.isEmpty(); }))
        << controller().status().errorText.toStdString();
    EXPECT_TRUE(sync().syncError().isEmpty()) << sync().syncError().toStdString();

    // The program ends with every win still waiting (the backend now turns them down), and
    // the next start, the backend back, uploads each of them once.
    m_backend.setFault(QStringLiteral("POST"), QStringLiteral("/api/shows/*"), standin::Fault::status(403));
    m_sleeper.held.clear();
    m_sleeper.releaseAll();
    ASSERT_TRUE(eventually([&] { return !sync().isUploading(); }));
    EXPECT_TRUE(m_backend.auctions(sync().activeShowId()).isEmpty());
    m_backend.clearFaults();
    restartOverTheSamePage();
    openLiveShow();
    ASSERT_TRUE(eventually([&] {
        return backendAuctions().size() == number && sync().pendingUploadCount() == 0;
    })) << backendAuctions().size()
        << " of " << number << " wins on the backend";
    settle();
    QSet<QString> buyers;
    for (const standin::StandinAuction &auction : backendAuctions())
        buyers.insert(auction.winnerUsername);
    EXPECT_EQ(buyers.size(), number) << "each win once";
    destroyApp();
}
