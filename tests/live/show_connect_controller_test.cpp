// The show connect screen's logic: the stream-id parser, the clipboard offer and
// Connect, which stores the id on the show synchroniser and then loads its live page.
#include "live_fixture.h"
#include "ui/live/show_connect_controller.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace quill;
using namespace std::chrono_literals;
using quill::testing::LiveFixture;
using quill::testing::eventually;
using quill::testing::LiveSleeper;

namespace {

struct ParseCase
{
    const char *name;
    QString text;
    std::optional<QString> expected;
};

TEST(ShowConnectParser, ReadsAddressesAndBareIdsAndRefusesWhatTheSessionWouldNotLoad)
{
    const QString id200(200, QLatin1Char('a'));
    const QString id201(201, QLatin1Char('a'));
    const std::optional<QString> none;
    const QString abc = QStringLiteral("abc123");
    const QList<ParseCase> cases{
        // Addresses.
        {"full address", QStringLiteral("https://www.whatnot.com/live/abc123"), abc},
        {"without scheme", QStringLiteral("www.whatnot.com/live/abc123"), abc},
        {"query after the id", QStringLiteral("https://www.whatnot.com/live/abc123?ref=share&x=1"), abc},
        {"fragment after the id", QStringLiteral("https://www.whatnot.com/live/abc123#chat"), abc},
        {"further components", QStringLiteral("https://www.whatnot.com/live/abc123/chat/more"), abc},
        {"stand-in address with a port", QStringLiteral("http://127.0.0.1:8788/live/show-42"),
         QStringLiteral("show-42")},
        {"live twice: the word after the first", QStringLiteral("https://www.whatnot.com/live/live/abc123"),
         QStringLiteral("live")},
        {"ends in /live/", QStringLiteral("https://www.whatnot.com/live/"), none},
        {"ends in /live", QStringLiteral("https://www.whatnot.com/live"), none},
        {"live read as the host", QStringLiteral("live/abc123"), none},
        {"a slash and no live", QStringLiteral("https://www.whatnot.com/user/abc123"), none},
        // Bare ids.
        {"bare id", abc, abc},
        {"bare id with spaces around", QStringLiteral("  abc123 \n"), abc},
        {"http and no address", QStringLiteral("http-123"), QStringLiteral("http-123")},
        {"every allowed character", QStringLiteral("a1B2-c_3.d~e"), QStringLiteral("a1B2-c_3.d~e")},
        {"two words", QStringLiteral("abc 123"), none},
        {"blank", QStringLiteral("   "), none},
        {"empty", QString(), none},
        // Only what the session loads, on both paths.
        {"tab inside a bare id", QStringLiteral("abc\t123"), none},
        {"tab inside the address id", QStringLiteral("https://www.whatnot.com/live/abc\t123"), none},
        {"question mark in a bare id", QStringLiteral("abc?123"), none},
        {"hash in a bare id", QStringLiteral("abc#123"), none},
        {"percent in a bare id", QStringLiteral("abc%20123"), none},
        {"dot-dot bare", QStringLiteral(".."), none},
        {"dot-dot as the address id", QStringLiteral("https://www.whatnot.com/live/../auth"), none},
        {"escaped dot-dot as the address id", QStringLiteral("https://www.whatnot.com/live/%2E%2E/auth"),
         none},
        {"escaped slash in the address id", QStringLiteral("https://www.whatnot.com/live/a%2F..%2Fauth"),
         none},
        {"escaped space in the address id", QStringLiteral("https://www.whatnot.com/live/abc%20123"), none},
        {"escaped percent in the address id", QStringLiteral("https://www.whatnot.com/live/abc%25"), none},
        {"stray percent in the address", QStringLiteral("https://www.whatnot.com/live/abc%zz"), none},
        {"escaped letters decode to an id", QStringLiteral("https://www.whatnot.com/live/%61bc123"), abc},
        {"non-ASCII id", QStringLiteral("https://www.whatnot.com/live/caf\u00e9"), none},
        {"200 characters bare", id200, id200},
        {"201 characters bare", id201, none},
        {"200 characters in an address", QStringLiteral("https://www.whatnot.com/live/") + id200, id200},
        {"201 characters in an address", QStringLiteral("https://www.whatnot.com/live/") + id201, none},
        {"typed with a leading blank", QStringLiteral(" https://www.whatnot.com/live/abc123"), abc},
        {"pasted with a trailing line break", QStringLiteral("https://www.whatnot.com/live/abc123\r\n"), abc},
        {"bare id between blanks", QStringLiteral("\tabc123 \n"), abc},
    };
    for (const ParseCase &c : cases) {
        const std::optional<QString> result = ShowConnectController::parseStreamId(c.text);
        EXPECT_EQ(result, c.expected)
            << c.name << ": got " << result.value_or(QStringLiteral("<none>")).toStdString();
        if (result) {
            EXPECT_TRUE(WhatnotSession::isValidStreamId(*result)) << c.name;
        }
    }
}

TEST(ShowConnectParser, TheAddressFragmentIsTheLivePrefixWithoutItsScheme)
{
    EXPECT_EQ(ShowConnectController::liveAddressFragment(QStringLiteral("https://www.whatnot.com/live/")),
              QStringLiteral("www.whatnot.com/live/"));
    EXPECT_EQ(ShowConnectController::liveAddressFragment(QStringLiteral("http://127.0.0.1:8788/live/")),
              QStringLiteral("127.0.0.1:8788/live/"));
    EXPECT_EQ(ShowConnectController::liveAddressFragment(QStringLiteral("https://market.example/live")),
              QStringLiteral("market.example/live/"));
    EXPECT_EQ(ShowConnectController::liveAddressFragment(QString()), QString());
}

TEST(ShowConnectParser, OffersOnlyALiveShowAddressOfTheMarketplaceWithALoadableId)
{
    const QString fragment = QStringLiteral("www.whatnot.com/live/");
    struct Case
    {
        const char *name;
        QString text;
        bool offered;
    };
    const QList<Case> cases{
        {"full address", QStringLiteral("https://www.whatnot.com/live/abc123"), true},
        {"without scheme", QStringLiteral("www.whatnot.com/live/abc123"), true},
        {"with a query", QStringLiteral("https://www.whatnot.com/live/abc123?ref=app"), true},
        {"bare id", QStringLiteral("abc123"), false},
        {"another host", QStringLiteral("https://example.com/live/abc123"), false},
        {"another page of the marketplace", QStringLiteral("https://www.whatnot.com/user/abc123"), false},
        {"fragment without an id", QStringLiteral("https://www.whatnot.com/live/"), false},
        {"id with an escaped slash", QStringLiteral("https://www.whatnot.com/live/a%2F..%2Fb"), false},
        {"id too long", QStringLiteral("https://www.whatnot.com/live/") + QString(201, QLatin1Char('x')),
         false},
        {"upper-case host", QStringLiteral("https://WWW.WHATNOT.COM/live/abc123"), false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ShowConnectController::isOfferedClipboardText(c.text, fragment), c.offered) << c.name;
    EXPECT_FALSE(ShowConnectController::isOfferedClipboardText(QStringLiteral("abc123"), QString()))
        << "no live prefix: nothing is offered";
}

class ShowConnect : public LiveFixture
{
protected:
    void SetUp() override
    {
        LiveFixture::SetUp();
        startApp();
        page().loads.clear();
        ShowConnectSetup setup;
        setup.sleeper = &m_cardSleeper;
        setup.clipboardText = [this] { return m_clipboard; };
        m_connect = std::make_unique<ShowConnectController>(sync(), session(), setup);
    }

    void TearDown() override
    {
        m_cardSleeper.releaseAll();
        QCoreApplication::processEvents();
        m_connect.reset();
        LiveFixture::TearDown();
    }

    bool stored() const { return m_settings->contains(QStringLiteral("showSync_activeStreamId")); }

    LiveSleeper m_cardSleeper;
    std::optional<QString> m_clipboard;
    std::unique_ptr<ShowConnectController> m_connect;
};

TEST_F(ShowConnect, StoresTheIdThenLoadsItsLivePage)
{
    // At the moment the id is stored, no page has been asked for yet.
    std::optional<qsizetype> loadsWhenStored;
    QObject::connect(&sync(), &ShowSyncService::activeStreamIdChanged, m_connect.get(),
                     [&] { loadsWhenStored = page().loads.size(); });
    QSignalSpy connected(m_connect.get(), &ShowConnectController::connected);

    m_connect->setInput(QStringLiteral("  https://market.example/live/show-42?ref=share \n"));
    m_connect->connect();

    EXPECT_EQ(sync().activeStreamId(), QStringLiteral("show-42"));
    EXPECT_EQ(m_settings->stringValue(QStringLiteral("showSync_activeStreamId")), QStringLiteral("show-42"));
    ASSERT_TRUE(loadsWhenStored.has_value());
    EXPECT_EQ(*loadsWhenStored, 0);
    EXPECT_EQ(page().loads, QList<QUrl>{liveURL(QStringLiteral("show-42"))});
    EXPECT_EQ(connected.count(), 1);
    EXPECT_TRUE(m_connect->validationError().isEmpty());
}

TEST_F(ShowConnect, RefusedTextKeepsItsMessageStoresNothingAndASuccessClearsIt)
{
    struct Case
    {
        const char *name;
        QString text;
    };
    const QList<Case> refused{
        {"two words", QStringLiteral("abc 123")},
        {"tab inside", QStringLiteral("abc\t123")},
        {"question mark", QStringLiteral("abc?x")},
        {"hash", QStringLiteral("abc#x")},
        {"percent", QStringLiteral("abc%41")},
        {"dot-dot", QStringLiteral("..")},
        {"dot-dot in the address", QStringLiteral("https://market.example/live/../auth/me")},
        {"201 characters", QString(201, QLatin1Char('z'))},
        {"address without an id", QStringLiteral("https://market.example/live/")},
    };
    for (const Case &c : refused) {
        m_connect->setInput(c.text);
        m_connect->connect();
        EXPECT_EQ(m_connect->validationError(), ShowConnectController::kNoStreamIdMessage) << c.name;
        EXPECT_TRUE(sync().activeStreamId().isEmpty()) << c.name;
        EXPECT_FALSE(stored()) << c.name;
        EXPECT_TRUE(page().loads.isEmpty()) << c.name;
    }

    // Editing the field or a blank field leaves the message.
    m_connect->setInput(QStringLiteral("   "));
    m_connect->connect();
    EXPECT_EQ(m_connect->validationError(), ShowConnectController::kNoStreamIdMessage);
    EXPECT_FALSE(m_connect->canConnect());

    m_connect->setInput(QString(200, QLatin1Char('z')));
    m_connect->connect();
    EXPECT_TRUE(m_connect->validationError().isEmpty());
    EXPECT_EQ(sync().activeStreamId(), QString(200, QLatin1Char('z')));
    EXPECT_EQ(page().loads.size(), 1);
}

TEST_F(ShowConnect, ClipboardOfferFillsTheFieldShowsTheCardThenGlowsAndChecks)
{
    m_cardSleeper.held = {
        ShowConnectController::kGlowDelay.count(),
        (ShowConnectController::kCheckmarkDelay - ShowConnectController::kGlowDelay).count()};
    m_connect->setInput(QStringLiteral("nope nope"));
    m_connect->connect();
    ASSERT_FALSE(m_connect->validationError().isEmpty());
    m_connect->setInput(QString());

    m_clipboard = QStringLiteral("  https://market.example/live/show-42\n");
    m_connect->checkClipboard();
    EXPECT_EQ(m_connect->input(), QStringLiteral("https://market.example/live/show-42"));
    EXPECT_TRUE(m_connect->showDetectedCard());
    EXPECT_TRUE(m_connect->validationError().isEmpty()) << "an offer clears the message";
    EXPECT_EQ(m_connect->detectedStreamId(), QStringLiteral("show-42"));
    EXPECT_FALSE(m_connect->cardGlow());
    EXPECT_FALSE(m_connect->checkmarkVisible());
    EXPECT_TRUE(sync().activeStreamId().isEmpty()) << "an offer connects nothing by itself";

    ASSERT_EQ(m_cardSleeper.waiting(ShowConnectController::kGlowDelay), 1);
    m_cardSleeper.release(ShowConnectController::kGlowDelay);
    ASSERT_TRUE(eventually([&] { return m_connect->cardGlow(); }));
    EXPECT_FALSE(m_connect->checkmarkVisible());
    m_cardSleeper.releaseAll();
    ASSERT_TRUE(eventually([&] { return m_connect->checkmarkVisible(); }));

    // "Enter a different URL": the empty form; the glow stays; the same address is offered again.
    m_connect->enterDifferentURL();
    EXPECT_TRUE(m_connect->input().isEmpty());
    EXPECT_FALSE(m_connect->showDetectedCard());
    EXPECT_TRUE(m_connect->cardGlow());
    EXPECT_TRUE(m_connect->checkmarkVisible());
    m_connect->checkClipboard();
    EXPECT_TRUE(m_connect->showDetectedCard());
    EXPECT_EQ(m_connect->input(), QStringLiteral("https://market.example/live/show-42"));

    m_connect->connect();
    EXPECT_EQ(sync().activeStreamId(), QStringLiteral("show-42"));
    EXPECT_EQ(page().loads, QList<QUrl>{liveURL(QStringLiteral("show-42"))});
}

TEST_F(ShowConnect, ClipboardIsLeftAloneWhenTheFieldHoldsTextOrTheTextIsNoLoadableLiveAddress)
{
    m_clipboard = QStringLiteral("https://market.example/live/show-42");
    m_connect->setInput(QStringLiteral("typed"));
    m_connect->checkClipboard();
    EXPECT_EQ(m_connect->input(), QStringLiteral("typed"));
    EXPECT_FALSE(m_connect->showDetectedCard());

    m_connect->setInput(QString());
    for (const std::optional<QString> &clipboard :
         {std::optional<QString>(), std::optional<QString>(QStringLiteral("show-42")),
          std::optional<QString>(QStringLiteral("https://elsewhere.example/live/show-42")),
          std::optional<QString>(QStringLiteral("https://www.whatnot.com/live/show-42")),
          std::optional<QString>(QStringLiteral("https://market.example/live/show%0942")),
          std::optional<QString>(QStringLiteral("https://market.example/live/..")),
          std::optional<QString>(QStringLiteral("https://market.example/live/") +
                                 QString(201, QLatin1Char('x')))}) {
        m_clipboard = clipboard;
        m_connect->checkClipboard();
        EXPECT_TRUE(m_connect->input().isEmpty())
            << clipboard.value_or(QStringLiteral("<none>")).toStdString();
        EXPECT_FALSE(m_connect->showDetectedCard());
    }
    EXPECT_EQ(m_cardSleeper.requested(ShowConnectController::kGlowDelay), 0);
}

TEST_F(ShowConnect, AScreenShownAgainAfterAConnectStartsAfresh)
{
    m_clipboard = QStringLiteral("https://market.example/live/show-42");
    m_connect->screenShown();
    ASSERT_TRUE(m_connect->showDetectedCard());
    m_connect->connect();
    ASSERT_EQ(sync().activeStreamId(), QStringLiteral("show-42"));

    // The seller leaves the stream; the screen returns with what the clipboard holds now.
    sync().setActiveStreamId(QString());
    m_clipboard = std::nullopt;
    m_connect->screenShown();
    EXPECT_TRUE(m_connect->input().isEmpty());
    EXPECT_FALSE(m_connect->showDetectedCard());
    EXPECT_FALSE(m_connect->cardGlow());

    // Without a connect in between, a shown screen keeps what the seller typed.
    m_connect->setInput(QStringLiteral("half-typed"));
    m_connect->screenShown();
    EXPECT_EQ(m_connect->input(), QStringLiteral("half-typed"));
}

} // namespace
