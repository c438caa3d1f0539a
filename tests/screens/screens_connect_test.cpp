// The show connect screen as a seller sees it: the empty form in the live show
// screen, and the card offering the live-show address found on the clipboard.
#include "capture/whatnot_session.h"
#include "fake_sleeper.h"
#include "screen_capture.h"
#include "shell_fixture.h"
#include "ui/live/live_show_controller.h"
#include "ui/live/live_show_view.h"
#include "ui/live/show_connect_controller.h"
#include "ui/live/show_connect_view.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quill::testing {
namespace {

const QSize kDetailSize(880, 800);

class ScreensConnect : public ShellFixture
{
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        applyAppLook(*qApp);
        QGuiApplication::clipboard()->clear();
    }

    void TearDown() override
    {
        m_view.reset();
        m_connectView.reset();
        m_connect.reset();
        m_controller.reset();
        QGuiApplication::clipboard()->clear();
        ShellFixture::TearDown();
    }

    // Signed in to the backend and to the marketplace, no stream chosen.
    AppState &start()
    {
        storeSession(QStringLiteral("u1"), QStringLiteral("ava@example.com"));
        AppSetup options = setup();
        options.marketplaceHomeURL = QUrl(QStringLiteral("https://www.whatnot.com/"));
        options.marketplaceLivePrefix = QStringLiteral("https://www.whatnot.com/live/");
        AppState &app = makeAppState(std::move(options));
        startAndWait(app);
        app.whatnotSession().setAuthenticated(true);
        return app;
    }

    static int pixelsNear(const QImage &image, const QRect &area, const QColor &colour)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                count += qAbs(pixel.red() - colour.red()) < 24 && qAbs(pixel.green() - colour.green()) < 24 &&
                         qAbs(pixel.blue() - colour.blue()) < 24;
            }
        return count;
    }

    static QRect rectIn(const QWidget *widget, const QWidget *ancestor)
    {
        return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
    }

    std::unique_ptr<LiveShowController> m_controller;
    std::unique_ptr<LiveShowView> m_view;
    FakeSleeper m_cardSleeper;
    std::unique_ptr<ShowConnectController> m_connect;
    std::unique_ptr<ShowConnectView> m_connectView;
};

TEST_F(ScreensConnect, Connect)
{
    AppState &app = start();
    m_controller = std::make_unique<LiveShowController>(LiveServices::of(app));
    m_view = std::make_unique<LiveShowView>(*m_controller);

    const QImage image = test::captureScreen(*m_view, kDetailSize, QStringLiteral("connect"));

    ASSERT_EQ(image.size(), kDetailSize);
    ASSERT_EQ(m_view->page(), LiveShowView::Page::connect);
    auto *screen = m_view->findChild<ShowConnectView *>();
    ASSERT_NE(screen, nullptr);
    auto *field = screen->findChild<QLineEdit *>(QStringLiteral("streamField"));
    EXPECT_EQ(field->placeholderText(), QStringLiteral("www.whatnot.com/live/abc123"));
    EXPECT_FALSE(screen->findChild<QPushButton *>(QStringLiteral("connectButton"))->isEnabled());
    EXPECT_FALSE(screen->findChild<QWidget *>(QStringLiteral("clipboardCard"))->isVisible());

    // The status bar across the top on the card colour, with the green dot at its left.
    const QRect bar = rectIn(screen->findChild<QWidget *>(QStringLiteral("connectStatusBar")), m_view.get());
    EXPECT_EQ(bar.width(), screen->width());
    EXPECT_LT(bar.top() - rectIn(screen, m_view.get()).top(), 40); // the checklist may sit above
    EXPECT_EQ(image.pixelColor(bar.right() - 4, bar.center().y()).rgb(), cardBackgroundColor().rgb());
    EXPECT_GT(pixelsNear(image, QRect(bar.left(), bar.top(), 40, bar.height()), brandGreenColor()), 10);
    // The form sits in the middle of the screen, the field at most 360 wide.
    const QRect fieldRect = rectIn(field, m_view.get());
    EXPECT_NEAR(fieldRect.center().x(), kDetailSize.width() / 2, 24);
    EXPECT_LE(fieldRect.width(), 360);
    EXPECT_GT(fieldRect.top(), kDetailSize.height() / 3);
    EXPECT_LT(fieldRect.bottom(), kDetailSize.height() * 2 / 3);
}

TEST_F(ScreensConnect, ConnectClipboard)
{
    AppState &app = start();
    QGuiApplication::clipboard()->setText(
        QStringLiteral("https://www.whatnot.com/live/7d1f2c9a-friday-cards"));
    ShowConnectSetup setup;
    setup.sleeper = &m_cardSleeper; // the card as it settles: glowing, with its checkmark
    m_connect = std::make_unique<ShowConnectController>(app.showSyncService(), app.whatnotSession(), setup);
    m_connectView = std::make_unique<ShowConnectView>(*m_connect);
    fillBackground(m_connectView.get(), appBackgroundColor()); // as the live show screen behind it

    // Shown first: the offer made as the screen appears lays the card out on the next turn.
    m_connectView->resize(kDetailSize);
    m_connectView->show();
    QCoreApplication::processEvents();
    auto *card = m_connectView->findChild<QWidget *>(QStringLiteral("clipboardCard"));
    ASSERT_NE(card, nullptr);
    const QImage image =
        test::captureScreen(*m_connectView, kDetailSize, QStringLiteral("connect-clipboard"));

    ASSERT_EQ(image.size(), kDetailSize);
    ASSERT_TRUE(m_connect->showDetectedCard());
    ASSERT_TRUE(m_connect->checkmarkVisible());
    ASSERT_TRUE(card->isVisible());
    EXPECT_EQ(m_connectView->findChild<QLabel *>(QStringLiteral("detectedAddressText"))->text(),
              QStringLiteral("www.whatnot.com/live/<b>7d1f2c9a-friday-cards</b>"));
    // The badge shows the green checkmark; the address sits on the highlight colour, whole.
    const QRect badge =
        rectIn(m_connectView->findChild<QWidget *>(QStringLiteral("clipboardBadge")), m_connectView.get());
    EXPECT_GT(pixelsNear(image, badge, brandGreenColor()), 40);
    auto *address = m_connectView->findChild<QWidget *>(QStringLiteral("detectedAddress"));
    const QRect addressRect = rectIn(address, m_connectView.get());
    EXPECT_EQ(image.pixelColor(addressRect.left() + 6, addressRect.center().y()).rgb(),
              cardHighlightColor().rgb());
    auto *text = m_connectView->findChild<QLabel *>(QStringLiteral("detectedAddressText"));
    EXPECT_GE(text->width(), text->sizeHint().width()) << "the address is shown on one line, whole";
    const QRect button = rectIn(
        m_connectView->findChild<QPushButton *>(QStringLiteral("connectToShowButton")), m_connectView.get());
    EXPECT_GE(button.width(), 200);
    EXPECT_NEAR(button.center().x(), kDetailSize.width() / 2, 24);
}

} // namespace
} // namespace quill::testing
