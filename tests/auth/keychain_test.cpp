#include "backend/keychain_service.h"
#include "in_memory_keychain.h"
#include "run_sync.h"

#include <QUuid>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

// The behaviour every store must have; run against the in-memory store here and
// against the login keyring below.
void checkStoreContract(KeychainService &store, const QString &account)
{
    EXPECT_EQ(runSync(store.load(account)), std::nullopt);
    runSync(store.remove(account)); // absent: nothing happens

    runSync(store.save(QStringLiteral("first"), account));
    runSync(store.save(QStringLiteral("sécond ✓"), account));
    EXPECT_EQ(runSync(store.load(account)), QStringLiteral("sécond ✓"));

    runSync(store.remove(account));
    EXPECT_EQ(runSync(store.load(account)), std::nullopt);
}

TEST(InMemoryKeychain, BehavesLikeAStore)
{
    InMemoryKeychain store;
    checkStoreContract(store, QStringLiteral("session_token"));
}

TEST(InMemoryKeychain, FailedSaveKeepsThePreviousValue)
{
    InMemoryKeychain store;
    runSync(store.save(QStringLiteral("good"), QStringLiteral("a")));
    store.failSaves();
    EXPECT_THROW(runSync(store.save(QStringLiteral("new"), QStringLiteral("a"))), KeychainError);
    EXPECT_EQ(runSync(store.load(QStringLiteral("a"))), QStringLiteral("good"));
}

TEST(KeyringSystemKeychain, StoresReplacesAndRemovesInTheLoginKeyring)
{
    SystemKeychain store(QStringLiteral("app.quillmark.Quillmark.test-") +
                         QUuid::createUuid().toString(QUuid::Id128));
    checkStoreContract(store, QStringLiteral("session_token"));

    // Items of other accounts of the same service are kept apart.
    runSync(store.save(QStringLiteral("one"), QStringLiteral("a")));
    runSync(store.save(QStringLiteral("two"), QStringLiteral("b")));
    EXPECT_EQ(runSync(store.load(QStringLiteral("a"))), QStringLiteral("one"));
    runSync(store.remove(QStringLiteral("a")));
    runSync(store.remove(QStringLiteral("b")));
}

} // namespace
