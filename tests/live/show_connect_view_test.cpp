// The show connect screen's wiring: the field and its Return key, the Connect
// button, the clipboard card's buttons, and the screen inside the live show screen.
#include "live_fixture.h"
#include "ui/live/live_show_view.h"
#include "ui/live/show_connect_controller.h"
#include "ui/live/show_connect_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace quill;
using quill::testing::LiveFixture;
using quill::testing::LiveSleeper;

namespace {

class ShowConnectViewWiring : public LiveFixture
{
protected:
    void SetUp() override
    {
        LiveFixture::SetUp();
        QGuiApplication::clipboard()->clear();
        startApp();
        page().loads.clear();
    }

    void TearDown() override
    {
        m_view.reset();
        m_connect.reset();
        m_cardSleeper.releaseAll();
        QCoreApplication::processEvents();
        QGuiApplication::clipboard()->clear();
        LiveFixture::TearDown();
    }

    // The screen on the system clipboard, shown.
    ShowConnectView &open()
    {
        ShowConnectSetup setup;
        setup.sleeper = &m_cardSleeper;
        m_connect = std::make_unique<ShowConnectController>(sync(), session(), setup);
        m_view = std::make_unique<ShowConnectView>(*m_connect);
        m_view->resize(600, 600);
        m_view->show();
        return *m_view;
    }

    template <typename T> T *find(const char *name) const
    {
        T *widget = m_view->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    LiveSleeper m_cardSleeper;
    std::unique_ptr<ShowConnectController> m_connect;
    std::unique_ptr<ShowConnectView> m_view;
};

TEST_F(ShowConnectViewWiring, ReturnInTheFieldConnectsAndARefusalShowsTheMessage)
{
    open();
    auto *field = find<QLineEdit>("streamField");
    auto *button = find<QPushButton>("connectButton");
    auto *error = find<QLabel>("validationError");
    EXPECT_EQ(field->placeholderText(), QStringLiteral("market.example/live/abc123"));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(error->isVisible());

    QTest::keyClicks(field, QStringLiteral("  "));
    EXPECT_FALSE(button->isEnabled()) << "a blank field cannot connect";
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(error->isVisible());

    field->clear();
    QTest::keyClicks(field, QStringLiteral("abc?123"));
    EXPECT_TRUE(button->isEnabled());
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(error->isVisible());
    EXPECT_EQ(error->text(), ShowConnectController::kNoStreamIdMessage);
    EXPECT_TRUE(sync().activeStreamId().isEmpty());
    EXPECT_TRUE(page().loads.isEmpty());

    field->clear();
    QTest::keyClicks(field, QStringLiteral("market.example/live/show-42"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(error->isVisible());
    EXPECT_EQ(sync().activeStreamId(), QStringLiteral("show-42"));
    EXPECT_EQ(page().loads, QList<QUrl>{liveURL(QStringLiteral("show-42"))});
}

TEST_F(ShowConnectViewWiring, TheConnectButtonConnectsWhatWasTyped)
{
    open();
    QTest::keyClicks(find<QLineEdit>("streamField"), QStringLiteral("show-7"));
    QTest::mouseClick(find<QPushButton>("connectButton"), Qt::LeftButton);
    EXPECT_EQ(sync().activeStreamId(), QStringLiteral("show-7"));
}

TEST_F(ShowConnectViewWiring, TheClipboardCardConnectsOrGoesBackToAnEmptyForm)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("https://market.example/live/show-42"));
    open();
    auto *card = find<QWidget>("clipboardCard");
    auto *form = find<QWidget>("connectForm");
    ASSERT_TRUE(card->isVisible()) << "the address on the clipboard is offered when the screen is shown";
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(find<QLabel>("detectedAddressText")->text(),
              QStringLiteral("market.example/live/<b>show-42</b>"));

    QTest::mouseClick(find<QPushButton>("differentURLButton"), Qt::LeftButton);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(card->isVisible());
    EXPECT_TRUE(find<QLineEdit>("streamField")->text().isEmpty());
    EXPECT_TRUE(sync().activeStreamId().isEmpty());

    m_connect->checkClipboard();
    ASSERT_TRUE(card->isVisible());
    QTest::mouseClick(find<QPushButton>("connectToShowButton"), Qt::LeftButton);
    EXPECT_EQ(sync().activeStreamId(), QStringLiteral("show-42"));
    EXPECT_EQ(page().loads, QList<QUrl>{liveURL(QStringLiteral("show-42"))});
}

TEST_F(ShowConnectViewWiring, TheLiveShowScreenShowsItWhenNoStreamIsChosenAndLeavesItOnConnect)
{
    session().setAuthenticated(true);
    LiveShowView live(controller());
    live.resize(880, 800);
    live.show();
    ASSERT_EQ(live.page(), LiveShowView::Page::connect);
    auto *screen = live.findChild<ShowConnectView *>();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(screen->isVisible());

    auto *field = screen->findChild<QLineEdit *>(QStringLiteral("streamField"));
    QTest::keyClicks(field, QStringLiteral("https://market.example/live/show-42"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(live.page(), LiveShowView::Page::live);
    EXPECT_EQ(sync().activeStreamId(), QStringLiteral("show-42"));
    EXPECT_TRUE(page().loads.contains(liveURL(QStringLiteral("show-42"))));
}

} // namespace
