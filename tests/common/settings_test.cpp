#include "common/error.h"
#include "common/paths.h"
#include "common/settings.h"
#include "full_disk.h"
#include "log_capture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

using quill::Settings;
using quill::testing::LogCapture;
using quill::testing::TmpfsFullDisk;

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    QString iniPath() const { return m_dir.filePath(QStringLiteral("settings.ini")); }

    // QSettings keeps parsed files cached per path inside the process, with their
    // values still typed; reading a copy under a new name makes the values really
    // come back from the INI text.
    std::unique_ptr<Settings> reopened(Settings &written)
    {
        written.sync();
        const QString copy = m_dir.filePath(QStringLiteral("copy%1.ini").arg(++m_copies));
        EXPECT_TRUE(QFile::copy(written.fileName(), copy));
        return std::make_unique<Settings>(copy);
    }

    QTemporaryDir m_dir;
    int m_copies = 0;
};

const QString kStrings[] = {
    QString(),
    QStringLiteral("plain"),
    QStringLiteral("a=b;c#d"),
    QStringLiteral("; looks like a comment"),
    QStringLiteral("# also"),
    QStringLiteral("[section]"),
    QStringLiteral("  padded  "),
    QStringLiteral("line one\nline two\r\n\ttabbed"),
    QStringLiteral("\"quoted\" and \\backslash\\"),
    QStringLiteral("a, b,c"),
    QStringLiteral("@Variant(junk)"),
    QStringLiteral("@Invalid()"),
    QStringLiteral("%41%"),
    QStringLiteral("true"),
    QStringLiteral("007"),
    QString::fromUtf8("h\xc3\xa9llo \xe2\x9c\x93 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x8f\xb7"),
};

const QString kKeys[] = {
    QStringLiteral("autoprint_labelMode"),
    QStringLiteral("printing/label/style"),
    QStringLiteral("General/x"),
    QStringLiteral("general"),
    QStringLiteral("Key"),
    QStringLiteral("key"),
    QStringLiteral("key with = and ; and # and spaces"),
    QStringLiteral("back\\slash"),
    QString::fromUtf8("\xc3\xa9tiquette"),
};

} // namespace

TEST_F(SettingsTest, StringsAndKeysSurviveTheIniFileExactly)
{
    Settings settings(iniPath());
    int n = 0;
    for (const QString &key : kKeys)
        settings.setString(key, QStringLiteral("value of ") + key);
    for (const QString &value : kStrings)
        settings.setString(QStringLiteral("s%1").arg(n++), value);

    const auto copy = reopened(settings);
    for (Settings *s : {&settings, copy.get()}) {
        SCOPED_TRACE(s == &settings ? "same store" : "reread file");
        for (const QString &key : kKeys)
            EXPECT_EQ(s->optionalString(key), QStringLiteral("value of ") + key) << key.toStdString();
        n = 0;
        for (const QString &value : kStrings) {
            const QString key = QStringLiteral("s%1").arg(n++);
            EXPECT_EQ(s->optionalString(key), value) << key.toStdString();
            EXPECT_EQ(s->optionalStringList(key), QStringList{value}) << key.toStdString();
        }
    }
}

TEST_F(SettingsTest, TypedValuesSurviveTheIniFileExactly)
{
    constexpr qint64 int64Min = std::numeric_limits<qint64>::min();
    constexpr qint64 int64Max = std::numeric_limits<qint64>::max();
    const QByteArray bytes("\0\n\xff=;[x]\0", 9);
    const QList<QStringList> lists{{},
                                   {QString()},
                                   {QStringLiteral("one")},
                                   {QStringLiteral("a,b")},
                                   {QStringLiteral("a,b"), QStringLiteral("c d"), QString()},
                                   {QStringLiteral("@Invalid()")}};

    Settings settings(iniPath());
    settings.setBool(QStringLiteral("yes"), true);
    settings.setBool(QStringLiteral("no"), false);
    settings.setInt(QStringLiteral("intMin"), std::numeric_limits<int>::min());
    settings.setInt(QStringLiteral("intMax"), std::numeric_limits<int>::max());
    settings.setInt64(QStringLiteral("int64Min"), int64Min);
    settings.setInt64(QStringLiteral("int64Max"), int64Max);
    settings.setDouble(QStringLiteral("tenth"), 0.1);
    settings.setDouble(QStringLiteral("third"), 1.0 / 3.0);
    settings.setDouble(QStringLiteral("tiny"), 5e-324);
    settings.setDouble(QStringLiteral("negative"), -1e300);
    settings.setBytes(QStringLiteral("bytes"), bytes);
    settings.setBytes(QStringLiteral("noBytes"), QByteArray());
    for (qsizetype i = 0; i < lists.size(); ++i)
        settings.setStringList(QStringLiteral("list%1").arg(i), lists[i]);

    const auto copy = reopened(settings);
    for (Settings *s : {&settings, copy.get()}) {
        SCOPED_TRACE(s == &settings ? "same store" : "reread file");
        EXPECT_EQ(s->optionalBool(QStringLiteral("yes")), true);
        EXPECT_EQ(s->optionalBool(QStringLiteral("no")), false);
        EXPECT_EQ(s->optionalInt(QStringLiteral("intMin")), std::numeric_limits<int>::min());
        EXPECT_EQ(s->optionalInt(QStringLiteral("intMax")), std::numeric_limits<int>::max());
        EXPECT_EQ(s->optionalInt64(QStringLiteral("int64Min")), int64Min);
        EXPECT_EQ(s->optionalInt64(QStringLiteral("int64Max")), int64Max);
        EXPECT_EQ(s->optionalDouble(QStringLiteral("tenth")), 0.1);
        EXPECT_EQ(s->optionalDouble(QStringLiteral("third")), 1.0 / 3.0);
        EXPECT_EQ(s->optionalDouble(QStringLiteral("tiny")), 5e-324);
        EXPECT_EQ(s->optionalDouble(QStringLiteral("negative")), -1e300);
        EXPECT_EQ(s->optionalBytes(QStringLiteral("bytes")), bytes);
        EXPECT_EQ(s->optionalBytes(QStringLiteral("noBytes")), QByteArray());
        for (qsizetype i = 0; i < lists.size(); ++i)
            EXPECT_EQ(s->optionalStringList(QStringLiteral("list%1").arg(i)), lists[i]) << "list" << i;
    }
}

TEST_F(SettingsTest, MissingKeysAreNotSetAndGettersFallBack)
{
    Settings settings(iniPath());
    const QString key = QStringLiteral("label_individual_style");
    EXPECT_FALSE(settings.contains(key));
    EXPECT_FALSE(settings.optionalString(key));
    EXPECT_FALSE(settings.optionalBool(key));
    EXPECT_FALSE(settings.optionalStringList(key));
    EXPECT_EQ(settings.stringValue(key, QStringLiteral("bold")), QStringLiteral("bold"));
    EXPECT_TRUE(settings.boolValue(key, true));
    EXPECT_EQ(settings.intValue(key, 7), 7);
    EXPECT_EQ(settings.doubleValue(key, 2.5), 2.5);
    EXPECT_EQ(settings.stringListValue(key, {QStringLiteral("x")}), QStringList{QStringLiteral("x")});

    // An empty value is a value, not "not set".
    settings.setString(key, QString());
    EXPECT_TRUE(settings.contains(key));
    EXPECT_EQ(settings.optionalString(key), QString());
    EXPECT_EQ(settings.stringValue(key, QStringLiteral("bold")), QString());
    settings.setBool(key, false);
    EXPECT_FALSE(settings.boolValue(key, true));
}

TEST_F(SettingsTest, ValuesOfTheWrongKindCountAsNotSet)
{
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\n"
               "word=abc\n"
               "yesno=yes\n"
               "big=9223372036854775807\n"
               "number=42\n"
               "halves=2.5\n"
               "list=a, b\n"
               "blob=@ByteArray(xyz)\n");
    file.close();

    Settings settings(iniPath());
    EXPECT_EQ(settings.intValue(QStringLiteral("word"), 5), 5);
    EXPECT_FALSE(settings.optionalDouble(QStringLiteral("word")));
    EXPECT_FALSE(settings.optionalBool(QStringLiteral("yesno")));
    EXPECT_TRUE(settings.boolValue(QStringLiteral("yesno"), true));
    EXPECT_FALSE(settings.optionalInt(QStringLiteral("big")));
    EXPECT_EQ(settings.optionalInt64(QStringLiteral("big")), std::numeric_limits<qint64>::max());
    EXPECT_EQ(settings.optionalInt(QStringLiteral("number")), 42);
    EXPECT_EQ(settings.optionalString(QStringLiteral("number")), QStringLiteral("42"));
    EXPECT_FALSE(settings.optionalInt(QStringLiteral("halves")));
    EXPECT_EQ(settings.optionalDouble(QStringLiteral("halves")), 2.5);
    EXPECT_EQ(settings.stringValue(QStringLiteral("list"), QStringLiteral("fallback")),
              QStringLiteral("fallback"));
    EXPECT_EQ(settings.optionalStringList(QStringLiteral("list")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_FALSE(settings.optionalBytes(QStringLiteral("word")));
    EXPECT_FALSE(settings.optionalString(QStringLiteral("blob")));
    EXPECT_EQ(settings.optionalBytes(QStringLiteral("blob")), QByteArray("xyz"));
}

TEST_F(SettingsTest, RemoveTakesOnlyThatKey)
{
    Settings settings(iniPath());
    settings.setString(QStringLiteral("a"), QStringLiteral("parent"));
    settings.setString(QStringLiteral("a/b"), QStringLiteral("child"));
    settings.setString(QStringLiteral("a/b/c"), QStringLiteral("grandchild"));
    settings.setString(QStringLiteral("ab"), QStringLiteral("neighbour"));

    settings.remove(QStringLiteral("a"));
    settings.remove(QStringLiteral("never-set"));

    const auto copy = reopened(settings);
    for (Settings *s : {&settings, copy.get()}) {
        SCOPED_TRACE(s == &settings ? "same store" : "reread file");
        EXPECT_FALSE(s->contains(QStringLiteral("a")));
        EXPECT_EQ(s->optionalString(QStringLiteral("a/b")), QStringLiteral("child"));
        EXPECT_EQ(s->optionalString(QStringLiteral("a/b/c")), QStringLiteral("grandchild"));
        EXPECT_EQ(s->optionalString(QStringLiteral("ab")), QStringLiteral("neighbour"));
    }
}

TEST_F(SettingsTest, KeysThatQSettingsWouldMergeAreRefused)
{
    Settings settings(iniPath());
    settings.setString(QStringLiteral("x"), QStringLiteral("kept"));
    for (const QString &key :
         {QString(), QStringLiteral("/x"), QStringLiteral("x/"), QStringLiteral("a//x")}) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_THROW(settings.setString(key, QStringLiteral("lost")), quill::Error);
        EXPECT_THROW((void)settings.optionalString(key), quill::Error);
        EXPECT_THROW(settings.remove(key), quill::Error);
    }
    EXPECT_EQ(settings.optionalString(QStringLiteral("x")), QStringLiteral("kept"));
}

TEST_F(SettingsTest, SyncReportsAFileThatCannotBeWritten)
{
    // A regular file where the folder should be: unwritable even for root.
    QFile blocker(m_dir.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    Settings settings(m_dir.filePath(QStringLiteral("not-a-folder/settings.ini")));
    settings.setString(QStringLiteral("k"), QStringLiteral("v"));
    try {
        settings.sync();
        FAIL() << "sync() reported success";
    } catch (const quill::Error &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("not-a-folder/settings.ini"))) << error.what();
    }
}

TEST_F(SettingsTest, TextsHoldingAByteOrderMarkOrANulReadBackWholeAndLaterSavesSucceed)
{
    const QChar mark(0xfeff);
    const QString texts[] = {
        QString(mark) + QStringLiteral("Zebra"),
        QString(mark) + QStringLiteral("0aF9 hex digits right after"),
        QStringLiteral("in") + mark + QStringLiteral("side"),
        QString(mark),
        QStringLiteral("\t") + mark + QStringLiteral("after an escape"),
    };
    const QStringList list{QString(mark) + QStringLiteral("x"), QStringLiteral("y, ") + mark};
    const QStringList withNul{QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QStringLiteral("c")};

    Settings settings(iniPath());
    int n = 0;
    for (const QString &text : texts)
        settings.setString(QStringLiteral("text%1").arg(n++), text);
    settings.setStringList(QStringLiteral("list"), list);
    settings.setStringList(QStringLiteral("withNul"), withNul);
    ASSERT_EQ(settings.commit(), std::nullopt);

    const auto copy = reopened(settings);
    n = 0;
    for (const QString &text : texts) {
        const QString key = QStringLiteral("text%1").arg(n++);
        EXPECT_EQ(copy->optionalString(key), text) << key.toStdString();
    }
    EXPECT_EQ(copy->optionalStringList(QStringLiteral("list")), list);
    EXPECT_EQ(copy->optionalStringList(QStringLiteral("withNul")), withNul);

    settings.setString(QStringLiteral("after"), QStringLiteral("saved"));
    EXPECT_EQ(settings.commit(), std::nullopt);
    EXPECT_EQ(reopened(settings)->optionalString(QStringLiteral("after")), QStringLiteral("saved"));
}

TEST_F(SettingsTest, AValueTheIniTextCannotKeepAsItWasIsNoReasonToRefuseTheOtherSaves)
{
    // An older or hand-edited file may hold a typed number, which Qt now writes as plain
    // text; a number that is not a number then reads back as another value.
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nratio=@Variant(\\0\\0\\0\\x6\\x7f\\xf8\\0\\0\\0\\0\\0\\0)\n");
    file.close();
    Settings settings(iniPath());
    ASSERT_TRUE(std::isnan(settings.optionalDouble(QStringLiteral("ratio")).value_or(0)));

    settings.setString(QStringLiteral("printer"), QStringLiteral("Zebra"));
    EXPECT_EQ(settings.commit(), std::nullopt);
    const auto copy = reopened(settings);
    EXPECT_EQ(copy->optionalString(QStringLiteral("printer")), QStringLiteral("Zebra"));
    EXPECT_TRUE(std::isnan(copy->optionalDouble(QStringLiteral("ratio")).value_or(0)));

    settings.setString(QStringLiteral("printer"), QStringLiteral("Dymo"));
    EXPECT_EQ(settings.commit(), std::nullopt);
    EXPECT_EQ(reopened(settings)->optionalString(QStringLiteral("printer")), QStringLiteral("Dymo"));
}

namespace settings_link_test {

QStringList g_syncedFolders;

int recordSync(int descriptor)
{
    g_syncedFolders.append(QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(descriptor)).symLinkTarget());
    return ::fsync(descriptor);
}

} // namespace settings_link_test

TEST_F(SettingsTest, ASettingsFileThatIsALinkIsSavedThroughItAndTheFolderItLandsInIsSynced)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("dotfiles")));
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("config")));
    const QString target = m_dir.filePath(QStringLiteral("dotfiles/Quillmark.ini"));
    const QString link = m_dir.filePath(QStringLiteral("config/Quillmark.ini"));
    QFile created(target);
    ASSERT_TRUE(created.open(QIODevice::WriteOnly));
    created.close();
    ASSERT_TRUE(QFile::link(QStringLiteral("../dotfiles/Quillmark.ini"), link));

    Settings settings(link);
    settings.setString(QStringLiteral("printer"), QStringLiteral("Zebra"));
    settings_link_test::g_syncedFolders.clear();
    const quill::paths::FolderSync previous = quill::paths::setFolderSync(&settings_link_test::recordSync);
    const std::optional<QString> failure = settings.commit();
    quill::paths::setFolderSync(previous);

    ASSERT_EQ(failure, std::nullopt);
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link stays a link";
    EXPECT_EQ(Settings(m_dir.filePath(QStringLiteral("dotfiles/Quillmark.ini")))
                  .optionalString(QStringLiteral("printer")),
              QStringLiteral("Zebra"));
    EXPECT_EQ(settings_link_test::g_syncedFolders,
              QStringList{QFileInfo(m_dir.filePath(QStringLiteral("dotfiles"))).canonicalFilePath()});
}

TEST_F(SettingsTest, AStartRemovesScratchFilesOfASaveWhoseProcessEndedAndNothingElse)
{
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 dead = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    QProcess running;
    running.start(QStringLiteral("sleep"), {QStringLiteral("600")});
    ASSERT_TRUE(running.waitForStarted());
    const qint64 live = running.processId();

    auto scratch = [&](const QString &name) { return m_dir.filePath(name); };
    const QStringList left{
        QStringLiteral("settings.ini.%1-1.saving").arg(dead),
        QStringLiteral("settings.ini.%1-2.check").arg(dead),
        QStringLiteral("settings.ini.%1-3.reading").arg(dead),
    };
    const QStringList kept{
        QStringLiteral("settings.ini.%1-1.saving").arg(live),
        QStringLiteral("other.ini.%1-1.saving").arg(dead),
        QStringLiteral("settings.ini.%1-1.saving.bak").arg(dead),
        QStringLiteral("settings.ini.backup"),
    };
    for (const QString &name : left + kept) {
        QFile file(scratch(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General]\nk=v\n");
    }

    Settings settings(iniPath());
    for (const QString &name : left)
        EXPECT_FALSE(QFileInfo::exists(scratch(name))) << name.toStdString();
    for (const QString &name : kept)
        EXPECT_TRUE(QFileInfo::exists(scratch(name))) << name.toStdString();

    running.kill();
    running.waitForFinished();
}

TEST_F(SettingsTest, SharedStoreIsTheInstalledOne)
{
    Settings *const before = Settings::setShared(nullptr);
    EXPECT_THROW(Settings::shared(), quill::Error);
    {
        Settings first(iniPath());
        Settings second(m_dir.filePath(QStringLiteral("second.ini")));
        EXPECT_EQ(Settings::setShared(&first), nullptr);
        EXPECT_EQ(&Settings::shared(), &first);
        EXPECT_EQ(Settings::setShared(&second), &first);
        EXPECT_EQ(&Settings::shared(), &second);
    }
    // The destroyed store took itself out instead of leaving a dangling one.
    EXPECT_THROW(Settings::shared(), quill::Error);
    Settings::setShared(before);
}

TEST_F(SettingsTest, DefaultStoreIsTheApplicationsIniFileInTheConfigFolder)
{
    const Settings settings;
    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_EQ(settings.fileName(), configFolder + QStringLiteral("/Quillmark/Quillmark.ini"));
}

namespace {

// The settings file on a small tmpfs that runs full.
class SettingsOnAFullDisk : public SettingsTest
{
protected:
    void SetUp() override
    {
        auto disk = std::make_unique<TmpfsFullDisk>(m_dir.filePath(QStringLiteral("disk")));
        const QString refused = disk->mount();
        if (!refused.isEmpty())
            GTEST_SKIP() << refused.toStdString();
        m_disk = std::move(disk);
    }

    QString path() const { return m_dir.filePath(QStringLiteral("disk/Quillmark.ini")); }
    QByteArray onDisk() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    // The file as it is on disk, read by a store of its own.
    std::unique_ptr<Settings> readBack()
    {
        const QString copy = m_dir.filePath(QStringLiteral("copy%1.ini").arg(++m_copies));
        EXPECT_TRUE(QFile::copy(path(), copy));
        return std::make_unique<Settings>(copy);
    }

    std::unique_ptr<TmpfsFullDisk> m_disk;
};

} // namespace

TEST_F(SettingsOnAFullDisk, ASaveTheDiskRefusesFailsKeepsTheFileAndTheNextSaveWithRoomWritesIt)
{
    constexpr const char *kCategory = "app.quillmark.Quillmark.Settings";
    const QString category = QString::fromLatin1(kCategory);
    const QByteArray sizes(10 * 1024, 's'); // a file of about 10 kB, as with many custom sizes
    for (const bool large : {false, true}) {
        for (const bool byItself : {false, true}) {
            for (const int pages : {0, 1, 2}) {
                SCOPED_TRACE(::testing::Message() << (large ? "10 kB" : "0.6 kB") << " file, "
                                                  << (byItself ? "saved by itself" : "committed") << ", "
                                                  << pages << " page(s) free");
                QFile::remove(path());
                Settings settings(path());
                settings.setString(QStringLiteral("label_individual_printer"), QStringLiteral("Zebra"));
                settings.setStringList(QStringLiteral("printers"),
                                       {QStringLiteral("a,b"), QStringLiteral("c")});
                settings.setString(QStringLiteral("consolidated/separate"),
                                   QString::fromUtf8("\xc3\xa9 ; = [x]"));
                settings.setBytes(QStringLiteral("padding"), QByteArray(450, 'p'));
                // Not valid UTF-16: the file holds it mended, and that is no reason to refuse the save.
                settings.setString(QStringLiteral("pasted"), QStringLiteral("half ") + QChar(0xd800));
                if (large)
                    settings.setBytes(QStringLiteral("custom_label_sizes"), sizes);
                ASSERT_EQ(settings.commit(), std::nullopt);
                const QByteArray before = onDisk();

                m_disk->fillLeaving(pages);
                std::optional<QString> failure;
                {
                    LogCapture log(kCategory);
                    settings.setString(QStringLiteral("show_sync_active_show_id"), QStringLiteral("show-7"));
                    if (byItself) {
                        QCoreApplication::processEvents(); // the save Qt's own would make
                        for (const auto &entry : log.matching(category, QtCriticalMsg, path()))
                            failure = entry.message;
                    } else {
                        failure = settings.commit();
                    }
                }
                if (failure) {
                    EXPECT_EQ(onDisk(), before) << "a refused save keeps the file";
                } else {
                    const auto saved = readBack();
                    EXPECT_EQ(saved->optionalString(QStringLiteral("show_sync_active_show_id")),
                              QStringLiteral("show-7"))
                        << "a save that succeeded is on disk whole";
                    EXPECT_EQ(saved->optionalBytes(QStringLiteral("padding")), QByteArray(450, 'p'));
                }
                if (pages == 0 || large) {
                    EXPECT_TRUE(failure) << "no room for the file";
                }

                // Room again: the next save writes the change, without another, and says so.
                m_disk->makeRoom();
                EXPECT_EQ(settings.commit(), std::nullopt);
                const auto saved = readBack();
                EXPECT_EQ(saved->optionalString(QStringLiteral("show_sync_active_show_id")),
                          QStringLiteral("show-7"));
                EXPECT_EQ(saved->optionalString(QStringLiteral("label_individual_printer")),
                          QStringLiteral("Zebra"));
                EXPECT_EQ(saved->optionalStringList(QStringLiteral("printers")),
                          (QStringList{QStringLiteral("a,b"), QStringLiteral("c")}));
                if (large) {
                    EXPECT_EQ(saved->optionalBytes(QStringLiteral("custom_label_sizes")), sizes);
                }
                EXPECT_EQ(QDir(m_dir.filePath(QStringLiteral("disk"))).entryList(QDir::Files | QDir::Hidden),
                          QStringList{QStringLiteral("Quillmark.ini")})
                    << "nothing left beside it";
            }
        }
    }
}
