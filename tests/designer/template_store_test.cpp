#include "designer/label_designer_state.h"
#include "designer/label_template_json.h"
#include "designer/template_store.h"
#include "designer_fixtures.h"
#include "fake_sleeper.h"
#include "full_disk.h"
#include "log_capture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

const char *kCategory = "app.quillmark.Quillmark.TemplateStore";

class TemplateStoreTest : public ::testing::Test
{
protected:
    QString folder() const { return m_dir.path() + QStringLiteral("/LabelTemplates"); }
    QString pathOf(const QString &name) const { return folder() + QLatin1Char('/') + name; }
    QString pathOf(const LabelTemplate &t) const { return pathOf(m_store.fileNameFor(t.id)); }

    void write(const QString &name, const QByteArray &bytes)
    {
        QDir().mkpath(folder());
        QFile file(pathOf(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void write(const QString &name, const LabelTemplate &t) { write(name, encodeLabelTemplate(t)); }
    void write(const LabelTemplate &t) { write(m_store.fileNameFor(t.id), t); }

    QByteArray contents(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList names() const
    {
        QStringList out;
        for (const LabelTemplate &t : m_store.templates())
            out << t.name;
        return out;
    }

    QTemporaryDir m_dir;
    FakeClock m_clock{utc(2026, 3, 1, 10, 0, 0).addMSecs(750)};
    TemplateStore m_store{folder(), m_clock};
};

} // namespace

TEST_F(TemplateStoreTest, NewFolderLoadsEmptyAndIsCreated)
{
    LogCapture log(kCategory);
    QSignalSpy changed(&m_store, &TemplateStore::templatesChanged);
    m_store.loadTemplates();
    EXPECT_TRUE(m_store.templates().isEmpty());
    EXPECT_TRUE(QFileInfo(folder()).isDir());
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(log.matching(kCategory, QtInfoMsg, QStringLiteral("Loaded 0 template(s)")).size(), 1);
}

TEST_F(TemplateStoreTest, LoadsOnlyFilesEndingInLowerCaseJsonAndNamesEachSkippedFile)
{
    write(QStringLiteral("a.json"), blankTemplate(QStringLiteral("A")));
    write(QStringLiteral("b.json"), QByteArray("not json"));
    write(QStringLiteral("c.txt"), blankTemplate(QStringLiteral("C")));
    write(QStringLiteral("D.JSON"), blankTemplate(QStringLiteral("D")));
    write(QStringLiteral(".json"), blankTemplate(QStringLiteral("Hidden")));
    QDir().mkpath(pathOf(QStringLiteral("x.json")));
    LogCapture log(kCategory);
    m_store.loadTemplates();
    EXPECT_EQ(names(), QStringList{QStringLiteral("A")});
    EXPECT_EQ(
        log.matching(kCategory, QtWarningMsg, QStringLiteral("b.json: The template file is not valid JSON"))
            .size(),
        1);
    EXPECT_EQ(log.matching(kCategory, QtWarningMsg, QStringLiteral("x.json: it is a folder")).size(), 1);
    EXPECT_EQ(log.matching(kCategory, QtInfoMsg, QStringLiteral("Loaded 1 template(s)")).size(), 1);
    // Nothing that failed is rewritten, renamed or removed.
    EXPECT_EQ(contents(pathOf(QStringLiteral("b.json"))), QByteArray("not json"));
}

TEST_F(TemplateStoreTest, ListsNewestFirstAndTiesByFileName)
{
    write(QStringLiteral("b.json"), blankTemplate(QStringLiteral("B tie"), utc(2026, 2, 1, 0, 0, 0)));
    write(QStringLiteral("c.json"), blankTemplate(QStringLiteral("Newest"), utc(2026, 2, 2, 0, 0, 0)));
    write(QStringLiteral("a.json"), blankTemplate(QStringLiteral("A tie"), utc(2026, 2, 1, 0, 0, 0)));
    write(QStringLiteral("0.json"), blankTemplate(QStringLiteral("Oldest"), utc(2025, 2, 1, 0, 0, 0)));
    m_store.loadTemplates();
    EXPECT_EQ(names(), (QStringList{"Newest", "A tie", "B tie", "Oldest"}));
}

TEST_F(TemplateStoreTest, SaveStampsACopyAndKeepsItsPlaceOrGoesInFront)
{
    const LabelTemplate first = blankTemplate(QStringLiteral("First"), utc(2026, 2, 2, 0, 0, 0));
    LabelTemplate second = blankTemplate(QStringLiteral("Second"), utc(2026, 2, 1, 0, 0, 0));
    write(first);
    write(second);
    m_store.loadTemplates();
    ASSERT_EQ(names(), (QStringList{"First", "Second"}));

    second.name = QStringLiteral("Second edited");
    m_store.save(second);
    EXPECT_EQ(names(), (QStringList{"First", "Second edited"}));
    // Whole seconds in the list, as the file keeps them; the caller's copy is untouched.
    EXPECT_EQ(m_store.templates().at(1).updatedAt, utc(2026, 3, 1, 10, 0, 0));
    EXPECT_EQ(second.updatedAt, utc(2026, 2, 1, 0, 0, 0));
    const LabelTemplate onDisk = decodeLabelTemplate(contents(pathOf(second)));
    EXPECT_EQ(onDisk.name, QStringLiteral("Second edited"));
    EXPECT_EQ(onDisk.updatedAt, utc(2026, 3, 1, 10, 0, 0));

    LogCapture log(kCategory);
    m_store.save(blankTemplate(QStringLiteral("Brand new")));
    EXPECT_EQ(names(), (QStringList{"Brand new", "First", "Second edited"}));
    EXPECT_EQ(log.matching(kCategory, QtInfoMsg, QStringLiteral("Saved template: Brand new")).size(), 1);

    // A reload orders by the stamps: both saves share one second, so by file name.
    m_store.loadTemplates();
    EXPECT_EQ(m_store.templates().size(), 3);
    EXPECT_EQ(m_store.templates().at(2).name, QStringLiteral("First"));
}

TEST_F(TemplateStoreTest, DeleteRemovesFileAndEntriesEvenWhenTheFileIsGone)
{
    const LabelTemplate keep = blankTemplate(QStringLiteral("Keep"));
    const LabelTemplate gone = blankTemplate(QStringLiteral("Gone"));
    write(keep);
    write(gone);
    m_store.loadTemplates();
    QFile::remove(pathOf(gone));

    QSignalSpy deleted(&m_store, &TemplateStore::templateDeleted);
    LogCapture log(kCategory);
    m_store.deleteTemplate(gone);
    EXPECT_EQ(names(), QStringList{QStringLiteral("Keep")});
    ASSERT_EQ(deleted.size(), 1);
    EXPECT_EQ(deleted.at(0).at(0).value<QUuid>(), gone.id);
    EXPECT_EQ(log.matching(kCategory, QtInfoMsg, QStringLiteral("Deleted template: Gone")).size(), 1);

    m_store.deleteTemplate(keep);
    EXPECT_FALSE(QFile::exists(pathOf(keep)));
    EXPECT_TRUE(m_store.templates().isEmpty());

    // An open designer that saves a deleted template writes it back, in front.
    m_store.save(keep);
    EXPECT_TRUE(QFile::exists(pathOf(keep)));
    EXPECT_EQ(names(), QStringList{QStringLiteral("Keep")});
}

TEST_F(TemplateStoreTest, FailedSaveChangesNoFileAndNoListAndIsAnnounced)
{
    const LabelTemplate good = blankTemplate(QStringLiteral("Good"));
    write(good);
    m_store.loadTemplates();
    const QByteArray before = contents(pathOf(good));

    LabelTemplate broken = good;
    broken.name = QStringLiteral("Broken");
    broken.gridSpacing = std::nan("");
    LabelTemplate blocked = blankTemplate(QStringLiteral("Blocked"));
    // A folder where the file goes: a read-only file would not stop root.
    QDir().mkpath(pathOf(blocked));

    for (const LabelTemplate &t : {broken, blocked}) {
        QSignalSpy failed(&m_store, &TemplateStore::saveFailed);
        QSignalSpy changed(&m_store, &TemplateStore::templatesChanged);
        LogCapture log(kCategory);
        m_store.save(t);
        EXPECT_EQ(failed.size(), 1) << qPrintable(t.name);
        EXPECT_EQ(changed.size(), 0);
        EXPECT_EQ(log.matching(kCategory, QtCriticalMsg, QStringLiteral("Failed to save template: ")).size(),
                  1);
        EXPECT_EQ(names(), QStringList{QStringLiteral("Good")});
    }
    EXPECT_EQ(contents(pathOf(good)), before);
    EXPECT_TRUE(QFileInfo(pathOf(blocked)).isDir());
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left behind
}

TEST_F(TemplateStoreTest, OneIdInTwoFilesIsListedOnceFromTheFileItNames)
{
    // Copied by hand under another name: loaded; its save goes to the file of its id.
    const LabelTemplate copied = blankTemplate(QStringLiteral("Copied"));
    write(QStringLiteral("my label.json"), copied);
    m_store.loadTemplates();
    EXPECT_EQ(names(), QStringList{QStringLiteral("Copied")});
    LabelTemplate edited = m_store.templates().first();
    edited.name = QStringLiteral("Copied edited");
    m_store.save(edited);
    ASSERT_TRUE(QFile::exists(pathOf(edited)));

    LogCapture log(kCategory);
    m_store.loadTemplates();
    EXPECT_EQ(names(), QStringList{QStringLiteral("Copied edited")});
    EXPECT_EQ(log.matching(kCategory, QtWarningMsg, QStringLiteral("my label.json: it holds the template id"))
                  .size(),
              1);

    // Deleting it removes both files, each logged: neither brings it back at the next load.
    LogCapture removals(kCategory);
    m_store.deleteTemplate(edited);
    for (const QString &file : {QStringLiteral("my label.json"), m_store.fileNameFor(edited.id)})
        EXPECT_EQ(
            removals.matching(kCategory, QtInfoMsg, QStringLiteral("Removed template file ") + file).size(),
            1)
            << qPrintable(file);
    m_store.loadTemplates();
    EXPECT_TRUE(m_store.templates().isEmpty());
    EXPECT_TRUE(QDir(folder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(TemplateStoreTest, ADeleteThatLeavesAFileKeepsTheTemplateAndSaysWhy)
{
    const LabelTemplate kept = blankTemplate(QStringLiteral("Kept"));
    write(kept);
    write(QStringLiteral("backup.json"), kept);
    m_store.loadTemplates();
    // As a read-only folder would for any user but root.
    m_store.setFileRemover([this](const QString &path) -> std::optional<QString> {
        if (path == pathOf(QStringLiteral("backup.json")))
            return QStringLiteral("Permission denied");
        return QFile::remove(path) ? std::nullopt : std::optional<QString>(QStringLiteral("gone"));
    });

    QSignalSpy failed(&m_store, &TemplateStore::deleteFailed);
    QSignalSpy deleted(&m_store, &TemplateStore::templateDeleted);
    LogCapture log(kCategory);
    m_store.deleteTemplate(m_store.templates().first());
    EXPECT_EQ(names(), QStringList{QStringLiteral("Kept")});
    EXPECT_EQ(deleted.size(), 0);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed.at(0).at(0).toString(), QStringLiteral("Kept"));
    EXPECT_EQ(failed.at(0).at(1).toString(),
              QStringLiteral("backup.json could not be removed: Permission denied"));
    EXPECT_EQ(log.matching(kCategory, QtCriticalMsg, QStringLiteral("Failed to delete template Kept")).size(),
              1);
    EXPECT_TRUE(log.matching(kCategory, QtInfoMsg, QStringLiteral("Deleted template")).isEmpty());
    m_store.loadTemplates();
    EXPECT_EQ(names(), QStringList{QStringLiteral("Kept")});

    // Once the file can go, the same delete goes through.
    m_store.setFileRemover([](const QString &path) -> std::optional<QString> {
        QFile::remove(path);
        return std::nullopt;
    });
    m_store.deleteTemplate(m_store.templates().first());
    EXPECT_TRUE(m_store.templates().isEmpty());
    EXPECT_EQ(deleted.size(), 1);
}

TEST_F(TemplateStoreTest, DeletingTheListsOwnEntryNamesItAfterItIsGone)
{
    write(blankTemplate(QStringLiteral("Only")));
    m_store.loadTemplates();
    LogCapture log(kCategory);
    // The reference points into the list the delete shrinks.
    m_store.deleteTemplate(m_store.templates().first());
    EXPECT_TRUE(m_store.templates().isEmpty());
    EXPECT_EQ(log.matching(kCategory, QtInfoMsg, QStringLiteral("Deleted template: Only")).size(), 1);
}

TEST_F(TemplateStoreTest, HostileFilesNeverReachAGoodTemplatesFile)
{
    LabelTemplate good = blankTemplate(QStringLiteral("Good"));
    good.id = QUuid::fromString(QStringLiteral("F0000000-0000-4000-8000-000000000001"));
    write(good);
    const QByteArray goodBytes = contents(pathOf(good));

    LabelTemplate impostor = good;
    impostor.name = QStringLiteral("Impostor");
    impostor.updatedAt = utc(2030, 1, 1, 0, 0, 0); // newer, and first by name
    write(QStringLiteral("0-impostor.json"), impostor);
    write(QStringLiteral("nested.json"), QByteArray(100000, '[') + QByteArray(100000, ']'));
    write(QStringLiteral("garbage.json"), QByteArray("\x00\xff{\"id\":", 8));
    {
        QFile huge(pathOf(QStringLiteral("huge.json")));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(50LL * 1024 * 1024));
    }

    LogCapture log(kCategory);
    m_store.loadTemplates();
    ASSERT_EQ(names(), QStringList{QStringLiteral("Good")});
    for (const char *file :
         {"0-impostor.json", "nested.json", "garbage.json", "huge.json: it holds 52428800 bytes"})
        EXPECT_EQ(log.matching(kCategory, QtWarningMsg, QString::fromLatin1(file)).size(), 1) << file;

    // Opening and autosaving the listed template writes only its own content.
    m_store.save(m_store.templates().first());
    EXPECT_EQ(decodeLabelTemplate(contents(pathOf(good))).name, QStringLiteral("Good"));
    m_store.loadTemplates();
    EXPECT_EQ(names(), QStringList{QStringLiteral("Good")});
    EXPECT_EQ(decodeLabelTemplate(contents(pathOf(QStringLiteral("0-impostor.json")))).name,
              QStringLiteral("Impostor"));
    EXPECT_NE(goodBytes, QByteArray());
}

TEST_F(TemplateStoreTest, ATemplateTooLargeForTheNextLoadIsNotSaved)
{
    const LabelTemplate good = blankTemplate(QStringLiteral("Photos"));
    m_store.save(good);
    const QByteArray before = contents(pathOf(good));
    ASSERT_FALSE(before.isEmpty());

    // Twenty-six pictures of 1 MB: some 35 MB of file, over what a load reads.
    LabelTemplate large = good;
    for (int i = 0; i < 26; ++i) {
        QByteArray picture(1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(i).fillRange(reinterpret_cast<quint32 *>(picture.data()), picture.size() / 4);
        large.elements.append(LabelElement{QUuid::createUuid(),
                                           ImageProperties{picture, ObjectFitValue::contain},
                                           ElementFrame{0, 0, 10, 10}, 0, false, i});
    }
    QSignalSpy failed(&m_store, &TemplateStore::saveFailed);
    m_store.save(large);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(
        failed.at(0).at(0).toString().contains(QStringLiteral("a template file may hold at most 32 MB")))
        << qPrintable(failed.at(0).at(0).toString());
    EXPECT_EQ(contents(pathOf(good)), before);
    EXPECT_TRUE(m_store.templates().first().elements.isEmpty());
    m_store.loadTemplates();
    ASSERT_EQ(names(), QStringList{QStringLiteral("Photos")});
}

TEST_F(TemplateStoreTest, RepeatedElementIdsGetFreshOnesOnLoadAndTheFileWaitsForASave)
{
    LabelTemplate t = blankTemplate(QStringLiteral("Twins"));
    const LabelElement first = textElement(10, 10, 0);
    LabelElement second = textElement(60, 40, 1);
    second.id = first.id;
    LabelElement third = textElement(90, 60, 2);
    third.id = first.id;
    t.elements = {first, second, third};
    write(t);
    const QByteArray before = contents(pathOf(t));

    LogCapture log(kCategory);
    m_store.loadTemplates();
    ASSERT_EQ(m_store.templates().size(), 1);
    const LabelTemplate loaded = m_store.templates().first();
    ASSERT_EQ(loaded.elements.size(), 3);
    EXPECT_EQ(loaded.elements.at(0).id, first.id);
    const QSet<QUuid> ids{loaded.elements.at(0).id, loaded.elements.at(1).id, loaded.elements.at(2).id};
    EXPECT_EQ(ids.size(), 3);
    EXPECT_EQ(log.matching(kCategory, QtWarningMsg, QStringLiteral("repeats an earlier element's")).size(),
              2);
    EXPECT_EQ(contents(pathOf(t)), before) << "a load writes nothing";

    // Each element is its own: a delete takes one, a move moves the one dragged.
    LabelDesignerState state(loaded);
    state.setSnapToGrid(false);
    state.setSnapToGuides(false);
    state.moveElement(loaded.elements.at(1).id, 70, 50);
    EXPECT_EQ(state.labelTemplate().elements.at(0).frame.x, 10);
    EXPECT_EQ(state.labelTemplate().elements.at(1).frame.x, 70);
    state.deleteElement(loaded.elements.at(2).id);
    EXPECT_EQ(state.labelTemplate().elements.size(), 2);

    m_store.save(state.labelTemplate());
    QStringList adjustments;
    decodeLabelTemplate(contents(pathOf(t)), &adjustments);
    EXPECT_TRUE(adjustments.isEmpty()) << qPrintable(adjustments.join(';'));
}

namespace {

// The templates' folder on a disk that runs full: a real tmpfs where the machine allows
// the mount, else the same refusal through a file-size cap.
class TemplateStoreOnAFullDisk : public TemplateStoreTest, public FullDiskTest
{
};

INSTANTIATE_TEST_SUITE_P(Disks, TemplateStoreOnAFullDisk, kEveryFullDisk, fullDiskName);

} // namespace

TEST_P(TemplateStoreOnAFullDisk, ASaveTheDiskRefusesIsAnnouncedAndKeepsTheFileAsItWas)
{
    if (!diskOver(folder()))
        GTEST_SKIP() << whyNot();
    const LabelTemplate good = blankTemplate(QStringLiteral("Good"));
    m_store.save(good);
    ASSERT_EQ(names(), QStringList{QStringLiteral("Good")});
    const QByteArray before = contents(pathOf(good));
    ASSERT_FALSE(before.isEmpty());

    disk().fill();
    LabelTemplate renamed = good;
    renamed.name = QStringLiteral("Renamed");
    QSignalSpy failed(&m_store, &TemplateStore::saveFailed);
    m_store.save(renamed);
    disk().makeRoom();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed.at(0).at(0).toString().contains(pathOf(good)))
        << failed.at(0).at(0).toString().toStdString();
    EXPECT_EQ(names(), QStringList{QStringLiteral("Good")});
    EXPECT_EQ(contents(pathOf(good)), before);
    m_store.loadTemplates();
    EXPECT_EQ(names(), QStringList{QStringLiteral("Good")}) << "the file still reads back";
}
