#include "common/user_scoped.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using quill::Settings;
using quill::UserScoped;
using quill::UserScopedFlag;

namespace {

class UserScopedTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_settings = std::make_unique<Settings>(m_dir.filePath(QStringLiteral("defaults.ini")));
        UserScoped::setCurrentUser(std::nullopt, *m_settings);
    }
    void TearDown() override { UserScoped::setCurrentUser(std::nullopt, *m_settings); }

    QTemporaryDir m_dir;
    std::unique_ptr<Settings> m_settings;
};

} // namespace

TEST_F(UserScopedTest, KeysCarryTheCurrentUserOrArePlainWithoutOne)
{
    EXPECT_EQ(UserScoped::scopedKey(QStringLiteral("onboarding_dismissed")), QStringLiteral("onboarding_dismissed"));
    UserScoped::setCurrentUser(QStringLiteral("u1"), *m_settings);
    EXPECT_EQ(UserScoped::scopedKey(QStringLiteral("onboarding_dismissed")), QStringLiteral("u1_onboarding_dismissed"));
    UserScoped::setValue(QStringLiteral("has_test_printed"), true, *m_settings);
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("u1_has_test_printed")));
    EXPECT_FALSE(m_settings->contains(QStringLiteral("has_test_printed")));
}

TEST_F(UserScopedTest, LegacyFlagsGoToTheFirstUserOnlyAndAreThenRemoved)
{
    m_settings->setBool(QStringLiteral("has_test_printed"), true);
    m_settings->setBool(QStringLiteral("whatnot_authenticated"), false);
    m_settings->setBool(QStringLiteral("u1_has_started_live_show"), true);

    UserScoped::setCurrentUser(QStringLiteral("u1"), *m_settings);
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("u1_has_test_printed")));
    EXPECT_FALSE(m_settings->contains(QStringLiteral("u1_whatnot_authenticated")));
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("u1_has_started_live_show")));
    for (const QString &key : UserScoped::legacyFlagKeys())
        EXPECT_FALSE(m_settings->contains(key)) << key;

    // A second seller on the same machine starts clean.
    UserScoped::setCurrentUser(QStringLiteral("u2"), *m_settings);
    EXPECT_FALSE(UserScoped::value(QStringLiteral("has_test_printed"), *m_settings));
    UserScoped::setCurrentUser(QStringLiteral("u1"), *m_settings);
    EXPECT_TRUE(UserScoped::value(QStringLiteral("has_test_printed"), *m_settings));
}

TEST_F(UserScopedTest, SigningOutKeepsFlagsAndFallsBackToPlainKeys)
{
    UserScoped::setCurrentUser(QStringLiteral("u1"), *m_settings);
    UserScoped::setValue(QStringLiteral("onboarding_dismissed"), true, *m_settings);
    UserScoped::setCurrentUser(std::nullopt, *m_settings);
    EXPECT_FALSE(UserScoped::value(QStringLiteral("onboarding_dismissed"), *m_settings));
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("u1_onboarding_dismissed")));
}

TEST_F(UserScopedTest, FlagIsSeededOnceAndWritesUnderTheUserCurrentAtTheWrite)
{
    UserScoped::setCurrentUser(QStringLiteral("u1"), *m_settings);
    UserScoped::setValue(QStringLiteral("onboarding_dismissed"), true, *m_settings);
    UserScopedFlag flag(QStringLiteral("onboarding_dismissed"), *m_settings);
    EXPECT_TRUE(flag.value());

    QSignalSpy changed(&flag, &UserScopedFlag::valueChanged);
    flag.setValue(true);
    EXPECT_EQ(changed.count(), 0);

    UserScoped::setCurrentUser(QStringLiteral("u2"), *m_settings);
    flag.setValue(false);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(m_settings->boolValue(QStringLiteral("u1_onboarding_dismissed")));
    EXPECT_TRUE(m_settings->contains(QStringLiteral("u2_onboarding_dismissed")));
    EXPECT_FALSE(m_settings->boolValue(QStringLiteral("u2_onboarding_dismissed")));
}

TEST_F(UserScopedTest, AnyUserIdKeepsItsOwnFlagsWithoutThrowing)
{
    // Ids that are not plain path segments, and ids that share a prefix with another.
    const QStringList ids{QStringLiteral("/x"),   QStringLiteral("a\\b"), QString(),
                          QStringLiteral("u1"),   QStringLiteral("u1_x"), QStringLiteral("/evil"),
                          QStringLiteral("a//b"), QStringLiteral("a/b"),  QStringLiteral("x/")};
    const QString flag = QStringLiteral("has_test_printed");
    for (const QString &owner : ids) {
        ASSERT_NO_THROW(UserScoped::setCurrentUser(owner, *m_settings)) << owner;
        ASSERT_NO_THROW(UserScoped::setValue(flag, true, *m_settings)) << owner;
        for (const QString &id : ids) {
            UserScoped::setCurrentUser(id, *m_settings);
            EXPECT_EQ(UserScoped::value(flag, *m_settings), id == owner)
                << "owner " << owner << ", reader " << id;
        }
        UserScoped::setCurrentUser(std::nullopt, *m_settings);
        EXPECT_FALSE(UserScoped::value(flag, *m_settings)) << owner;
        UserScoped::setCurrentUser(owner, *m_settings);
        UserScoped::setValue(flag, false, *m_settings);
    }

    // The legacy flags move to the first user whatever the id holds.
    UserScoped::setCurrentUser(std::nullopt, *m_settings);
    m_settings->setBool(QStringLiteral("onboarding_dismissed"), true);
    ASSERT_NO_THROW(UserScoped::setCurrentUser(QStringLiteral("/evil"), *m_settings));
    EXPECT_TRUE(UserScoped::value(QStringLiteral("onboarding_dismissed"), *m_settings));
    EXPECT_FALSE(m_settings->contains(QStringLiteral("onboarding_dismissed")));
    m_settings->sync();
    EXPECT_TRUE(Settings(m_settings->fileName())
                    .boolValue(UserScoped::scopedKey(QStringLiteral("onboarding_dismissed"))));

    // Ordinary ids keep the stored "<user id>_<key>" form. That form tells "u1" and
    // "u1_x" apart only while no flag key ends in "_" and another flag key.
    UserScoped::setCurrentUser(QStringLiteral("u1_x"), *m_settings);
    EXPECT_EQ(UserScoped::scopedKey(flag), QStringLiteral("u1_x_") + flag);
    for (const QString &key : UserScoped::legacyFlagKeys()) {
        for (const QString &other : UserScoped::legacyFlagKeys())
            EXPECT_FALSE(key.endsWith(QLatin1Char('_') + other)) << key << " " << other;
    }
}

TEST(StaffTest, ExactAddressOrExactDomainSuffix)
{
    const QString domain = quill::staffEmailDomain();
    EXPECT_TRUE(quill::isStaffEmail(quill::adminEmails().constFirst()));
    EXPECT_TRUE(quill::isStaffEmail(QStringLiteral("anyone@") + domain));
    EXPECT_TRUE(quill::isStaffEmail(QStringLiteral("@") + domain));
    EXPECT_FALSE(quill::isStaffEmail(QStringLiteral("anyone@eu.") + domain));
    EXPECT_FALSE(quill::isStaffEmail(QStringLiteral("anyone@") + domain.toUpper()));
    EXPECT_FALSE(quill::isStaffEmail(quill::adminEmails().constLast().toUpper()));
    EXPECT_FALSE(quill::isStaffEmail(QStringLiteral(" ") + quill::adminEmails().constLast()));
    EXPECT_FALSE(quill::isStaffEmail(QStringLiteral("seller@example.com")));
    EXPECT_FALSE(quill::isStaffEmail(QStringLiteral("anyone") + domain));
    EXPECT_EQ(quill::adminEmails().size(), 6);
}
