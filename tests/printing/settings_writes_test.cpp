// The printing layer's user defaults when the file cannot be written or holds
// what another writer left: nothing is lost and no failure passes in silence.
#include "common/settings.h"
#include "log_capture.h"
#include "printing/custom_media_store.h"
#include "printing/label_appearance_store.h"
#include "printing/label_section_state.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace quill;
using quill::testing::LogCapture;

namespace {

const QByteArray kTwoSizes =
    R"([{"id":"bags","widthInches":3,"heightInches":2,"isCircular":false,"name":"Bags"},)"
    R"({"id":"dots","widthInches":1,"heightInches":1,"isCircular":true}])";

LabelMedia customMedium(QString id, double width, double height)
{
    return {std::move(id), width, height, false, std::nullopt};
}

class SettingsWrites : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString writablePath() const { return m_dir.filePath(QStringLiteral("defaults.ini")); }
    // A regular file where the folder should be: unwritable even for root.
    QString unwritablePath() const
    {
        QFile blocker(m_dir.filePath(QStringLiteral("not-a-folder")));
        if (!blocker.exists() && blocker.open(QIODevice::WriteOnly))
            blocker.close();
        return m_dir.filePath(QStringLiteral("not-a-folder/defaults.ini"));
    }

    QTemporaryDir m_dir;
};

TEST_F(SettingsWrites, CustomMediaStoredAsBytesOrAsTextAreReadAndKept)
{
    const struct
    {
        const char *name;
        std::function<void(Settings &)> store;
    } forms[] = {
        {"bytes", [](Settings &s) { s.setBytes(CustomMediaStore::key(), kTwoSizes); }},
        {"text", [](Settings &s) { s.setString(CustomMediaStore::key(), QString::fromUtf8(kTwoSizes)); }},
    };
    for (const auto &form : forms) {
        SCOPED_TRACE(form.name);
        QFile::remove(writablePath());
        Settings settings(writablePath());
        form.store(settings);
        settings.sync();

        Settings reopened(writablePath());
        CustomMediaStore store(reopened);
        ASSERT_EQ(store.items().size(), 2);
        EXPECT_EQ(store.items().at(0).name, QStringLiteral("Bags"));
        EXPECT_TRUE(store.items().at(1).isCircular);

        EXPECT_EQ(store.add(customMedium(QStringLiteral("new"), 4, 6)), std::nullopt);
        const QJsonArray saved =
            QJsonDocument::fromJson(reopened.bytesValue(CustomMediaStore::key())).array();
        ASSERT_EQ(saved.size(), 3);
        EXPECT_EQ(saved.at(0).toObject().value(QStringLiteral("id")), QStringLiteral("bags"));
        EXPECT_EQ(saved.at(2).toObject().value(QStringLiteral("id")), QStringLiteral("new"));
    }
}

TEST_F(SettingsWrites, UnreadableCustomMediaSetAsideNeverReplaceEachOther)
{
    Settings settings(writablePath());
    const QByteArray damaged[] = {"{\"id\": tru", "[{\"id\":", "not json"};
    const QString keys[] = {CustomMediaStore::unreadableKey(),
                            CustomMediaStore::unreadableKey() + QStringLiteral("_2"),
                            CustomMediaStore::unreadableKey() + QStringLiteral("_3")};
    for (const QByteArray &value : damaged) {
        settings.setBytes(CustomMediaStore::key(), value);
        CustomMediaStore store(settings);
        EXPECT_EQ(store.add(customMedium(QStringLiteral("new"), 4, 6)), std::nullopt);
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(settings.bytesValue(keys[i]), damaged[i]) << keys[i].toStdString();
}

TEST_F(SettingsWrites, AFailedWriteIsLoggedAndReportedByEachStore)
{
    // Each write returns its failure, or the store says it, or both.
    const struct
    {
        const char *name;
        std::function<std::optional<QString>(Settings &)> write;
    } writes[] = {
        {"custom media",
         [](Settings &s) {
             CustomMediaStore store(s);
             QSignalSpy errorChanged(&store, &CustomMediaStore::saveErrorChanged);
             const auto failure = store.add(customMedium(QStringLiteral("new"), 4, 6));
             EXPECT_EQ(store.saveError(), failure.value_or(QString()));
             EXPECT_EQ(errorChanged.count(), failure ? 1 : 0);
             return failure;
         }},
        {"section settings",
         [](Settings &s) {
             LabelSectionState state = LabelSectionState::defaults(0);
             state.selectedPrinter = QStringLiteral("TestLabel");
             return state.save(0, s);
         }},
        {"appearance",
         [](Settings &s) -> std::optional<QString> {
             LabelAppearanceStore store(s, QString());
             QSignalSpy errorChanged(&store, &LabelAppearanceStore::saveErrorChanged);
             store.setColorMode(LabelColorMode::grayscale);
             EXPECT_EQ(errorChanged.count(), store.saveError().isEmpty() ? 0 : 1);
             if (store.saveError().isEmpty())
                 return std::nullopt;
             return store.saveError();
         }},
    };
    for (const auto &write : writes) {
        SCOPED_TRACE(write.name);
        {
            Settings good(writablePath());
            LogCapture log;
            EXPECT_EQ(write.write(good), std::nullopt);
            EXPECT_TRUE(
                log.matching(QStringLiteral("app.quillmark.Quillmark.Settings"), QtCriticalMsg, QString())
                    .isEmpty());
        }
        Settings readOnly(unwritablePath());
        LogCapture log;
        const auto failure = write.write(readOnly);
        ASSERT_TRUE(failure);
        EXPECT_TRUE(failure->contains(QStringLiteral("not-a-folder/defaults.ini"))) << failure->toStdString();
        EXPECT_FALSE(log.matching(QStringLiteral("app.quillmark.Quillmark.Settings"), QtCriticalMsg,
                                  QStringLiteral("not-a-folder/defaults.ini"))
                         .isEmpty());
    }
}

} // namespace
