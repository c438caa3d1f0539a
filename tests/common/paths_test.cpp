#include "common/paths.h"

#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

QByteArray readAll(const QString &path)
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
    EXPECT_EQ(readAll(path), QByteArray("a much longer first version"));
    quill::paths::writeFileAtomically(path, QByteArray("short"));
    EXPECT_EQ(readAll(path), QByteArray("short"));
    quill::paths::writeFileAtomically(path, QByteArray());
    EXPECT_EQ(readAll(path), QByteArray());
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
    EXPECT_EQ(readAll(path), QByteArray("old content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("logo.png")});
}
