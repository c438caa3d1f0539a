#include "common/paths.h"

#include "common/error.h"
#include "full_disk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const quill::Error &error) {
        return error.message();
    }
    return QStringLiteral("<no error>");
}

// Points the test-mode standard locations at another home folder for one test.
class ScopedHome
{
public:
    explicit ScopedHome(const QString &home) : m_previous(qgetenv("HOME")) { qputenv("HOME", home.toUtf8()); }
    ~ScopedHome() { qputenv("HOME", m_previous); }

private:
    QByteArray m_previous;
};

} // namespace

TEST(Paths, DataFolderIsTheApplicationDataLocationAndIsCreated)
{
    QTemporaryDir home;
    ScopedHome scoped(home.path());
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ASSERT_TRUE(expected.startsWith(home.path())); // test mode: inside the sandbox
    ASSERT_FALSE(QFileInfo::exists(expected));

    EXPECT_EQ(quill::paths::dataFolder(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(quill::paths::dataFolder(), expected); // an existing folder is fine
}

TEST(Paths, PictureChoosersOpenInPicturesOrHome)
{
    QTemporaryDir home;
    ScopedHome scoped(home.path());
    ASSERT_NE(QDir::currentPath(), home.path());
    EXPECT_EQ(quill::paths::picturesFolder(), QDir::homePath());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Pictures")));
    EXPECT_EQ(quill::paths::picturesFolder(), home.filePath(QStringLiteral("Pictures")));
}

TEST(Paths, DataFolderThatCannotBeCreatedIsAClearError)
{
    QTemporaryDir home;
    ScopedHome scoped(home.path());
    // A regular file in the way of the folder chain: fails even for root.
    QFile blocker(home.filePath(QStringLiteral(".qttest")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const QString message = errorOf([] { quill::paths::dataFolder(); });
    EXPECT_TRUE(message.contains(QStringLiteral("could not be created"))) << message.toStdString();
    EXPECT_TRUE(message.contains(home.path())) << message.toStdString();
}

TEST(Paths, DataFileStaysInsideTheDataFolder)
{
    QTemporaryDir home;
    ScopedHome scoped(home.path());
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);

    EXPECT_EQ(quill::paths::dataFile(QStringLiteral("show_history.json")),
              folder + QStringLiteral("/show_history.json"));
    EXPECT_EQ(quill::paths::dataFile(QStringLiteral("LabelTemplates/A.json")),
              folder + QStringLiteral("/LabelTemplates/A.json"));
    EXPECT_EQ(quill::paths::dataFile(QStringLiteral("..name")), folder + QStringLiteral("/..name"));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    const char *const refused[] = {"",      "../x",        "..",   ".",  "a/../../x",
                                   "a/./b", "/etc/passwd", "a//b", "a/", "/"};
    for (const char *name : refused) {
        SCOPED_TRACE(name);
        const QString message = errorOf([name] { quill::paths::dataFile(QString::fromUtf8(name)); });
        EXPECT_TRUE(message.contains(QStringLiteral("cannot be used as a file name")))
            << message.toStdString();
    }
}

TEST(Paths, AtomicWriteReplacesTheWholeFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("show_history.json"));

    quill::paths::writeFileAtomically(path, QByteArray("a much longer first version"));
    EXPECT_EQ(contentsOf(path), QByteArray("a much longer first version"));
    quill::paths::writeFileAtomically(path, QByteArray("short"));
    EXPECT_EQ(contentsOf(path), QByteArray("short"));
    quill::paths::writeFileAtomically(path, QByteArray());
    EXPECT_EQ(contentsOf(path), QByteArray());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("show_history.json")});
}

TEST(Paths, FailedAtomicWriteNamesTheFileAndLeavesTheOldContent)
{
    QTemporaryDir dir;
    const QString missingFolder = dir.filePath(QStringLiteral("missing/show_history.json"));
    QString message = errorOf([&] { quill::paths::writeFileAtomically(missingFolder, "x"); });
    EXPECT_TRUE(message.startsWith(missingFolder + QStringLiteral(" could not be written: ")))
        << message.toStdString();
    EXPECT_GT(message.size(), missingFolder.size() + 24); // a reason follows

    // A write that fails part-way: cap the file size so the second write runs out of room.
    const QString path = dir.filePath(QStringLiteral("logo.png"));
    quill::paths::writeFileAtomically(path, QByteArray("old content"));
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit capped = previous;
    capped.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &capped), 0);
    message = errorOf([&] { quill::paths::writeFileAtomically(path, QByteArray(64 * 1024, 'n')); });
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(message.startsWith(path + QStringLiteral(" could not be written: ")))
        << message.toStdString();
    EXPECT_EQ(contentsOf(path), QByteArray("old content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("logo.png")});
}

namespace {

// The data folder's disk runs full: on a real tmpfs where the machine allows the mount,
// and through a file-size cap everywhere.
class PathsOnAFullDisk : public ::testing::Test, public quill::testing::FullDiskTest
{
protected:
    QString file(const QString &name) const { return m_dir.filePath(QStringLiteral("data/") + name); }

    QTemporaryDir m_dir;
};

INSTANTIATE_TEST_SUITE_P(Disks, PathsOnAFullDisk, quill::testing::kEveryFullDisk,
                         quill::testing::fullDiskName);

} // namespace

TEST_P(PathsOnAFullDisk, AnAtomicWriteOfAnySizeFailsAndKeepsTheOldFile)
{
    if (!diskOver(file({})))
        GTEST_SKIP() << whyNot();
    const QString path = file(QStringLiteral("show_sync_pending.json"));
    quill::paths::writeFileAtomically(path, QByteArray("{\"uploads\":[\"old\"]}"));

    disk().fill();
    // Around the size of the writer's buffer, and well below and above it.
    for (const qsizetype size : {qsizetype(1), qsizetype(300), qsizetype(16383), qsizetype(16384),
                                 qsizetype(16385), qsizetype(200 * 1024)}) {
        SCOPED_TRACE(size);
        const QString message =
            errorOf([&] { quill::paths::writeFileAtomically(path, QByteArray(size, 'n')); });
        EXPECT_TRUE(message.startsWith(path + QStringLiteral(" could not be written: ")))
            << message.toStdString();
        EXPECT_EQ(contentsOf(path), QByteArray("{\"uploads\":[\"old\"]}"));
    }
    disk().makeRoom();
    EXPECT_EQ(QDir(file({})).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("show_sync")),
              QStringList{QStringLiteral("show_sync_pending.json")}); // no temporary file left

    quill::paths::writeFileAtomically(path, QByteArray("new"));
    EXPECT_EQ(contentsOf(path), QByteArray("new"));
}

TEST_P(PathsOnAFullDisk, AnAppendTheDiskRefusesIsTakenBackToTheLastWholeLine)
{
    if (!diskOver(file({})))
        GTEST_SKIP() << whyNot();
    const QString path = file(QStringLiteral("show_sync_pending.json.log"));
    quill::paths::appendToFile(path, QByteArray("{\"first\":1}\n"), true);

    disk().fill();
    // Lines long enough to overrun what is left of the file's last page on any disk.
    const QByteArray line = "{\"queued\":\"" + QByteArray(6000, 'q') + "\"}\n";
    QString message;
    for (int i = 0; i < 4 && !message.startsWith(path); ++i) {
        message = errorOf([&] { quill::paths::appendToFile(path, line, true); });
        if (message == QStringLiteral("<no error>"))
            message.clear();
    }
    EXPECT_TRUE(message.startsWith(path + QStringLiteral(" could not be written: ")))
        << message.toStdString();
    disk().makeRoom();

    // Whatever reached the disk before the refusal ends in whole lines.
    const QByteArray contents = contentsOf(path);
    EXPECT_TRUE(contents.startsWith("{\"first\":1}\n"));
    EXPECT_TRUE(contents.endsWith('\n')) << contents.right(40).toStdString();
    quill::paths::appendToFile(path, QByteArray("{\"last\":1}\n"), true);
    EXPECT_TRUE(contentsOf(path).endsWith("\n{\"last\":1}\n"));
}

TEST(Paths, AnAppendCutShortByTheDiskIsTakenBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("label-record.jsonl"));
    quill::paths::appendToFile(path, QByteArray("{\"first\":1}\n"), true);

    {
        // Room for ten more bytes: the next line is cut off after them.
        quill::testing::FileSizeCapFullDisk disk(QFileInfo(path).size() + 10);
        disk.fill();
        const QString message =
            errorOf([&] { quill::paths::appendToFile(path, QByteArray("{\"second\":2}\n"), false); });
        EXPECT_TRUE(message.startsWith(path + QStringLiteral(" could not be written: File too large")))
            << message.toStdString();
    }
    EXPECT_EQ(contentsOf(path), QByteArray("{\"first\":1}\n"));
}

namespace {

// Each folder sync: the folder, and what the watched file held at that moment.
struct FolderSyncs
{
    QString watched;
    QList<std::pair<QString, QByteArray>> seen;
};
FolderSyncs g_folderSyncs;

int recordFolderSync(int descriptor)
{
    g_folderSyncs.seen.append({QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(descriptor)).symLinkTarget(),
                               contentsOf(g_folderSyncs.watched)});
    return ::fsync(descriptor);
}

} // namespace

TEST(Paths, TheFolderIsSyncedOnceARenamedOrNewFileIsInIt)
{
    QTemporaryDir dir;
    const QString folder = QFileInfo(dir.path()).canonicalFilePath();
    const QString path = dir.filePath(QStringLiteral("show_sync_pending.json"));
    const QString log = dir.filePath(QStringLiteral("show_sync_pending.json.log"));
    quill::paths::writeFileAtomically(path, QByteArray("old"));
    const quill::paths::FolderSync previous = quill::paths::setFolderSync(&recordFolderSync);

    g_folderSyncs = {path, {}};
    quill::paths::writeFileAtomically(path, QByteArray("new"));
    EXPECT_EQ(g_folderSyncs.seen, (QList<std::pair<QString, QByteArray>>{{folder, "new"}}))
        << "after the rename";

    g_folderSyncs = {log, {}};
    quill::paths::appendToFile(log, QByteArray("{\"first\":1}\n"), true);
    EXPECT_EQ(g_folderSyncs.seen, (QList<std::pair<QString, QByteArray>>{{folder, "{\"first\":1}\n"}}))
        << "after the append that made the file";
    quill::paths::appendToFile(log, QByteArray("{\"second\":2}\n"), true);
    EXPECT_EQ(g_folderSyncs.seen.size(), 1) << "a later append changes no name";

    quill::paths::setFolderSync(previous);
}
