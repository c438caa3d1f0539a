// The Labels screen as a seller sees it: two printers, the staff panel open, and no
// printers at all.
#include "labels_screen_fixture.h"
#include "printing/custom_media_store.h"
#include "run_sync.h"
#include "screen_capture.h"
#include "ui/labels/consolidated_label_section.h"
#include "ui/labels/printer_status_view.h"
#include "ui/widgets/empty_state_view.h"
#include "ui/widgets/palette.h"

#include <QLabel>
#include <QToolButton>

namespace quill::testing {
namespace {

class ScreensPrinterStatus : public LabelsFixture
{
protected:
    void TearDown() override
    {
        m_view.reset();
        makeAppState(appSetup()); // the services go before a runner of the test's own
        LabelsFixture::TearDown();
    }

    AppState &signedIn(const QString &email, ProcessRunner *runner = nullptr)
    {
        m_tokens.setItem(QStringLiteral("session_token"), m_backend.addUser(QStringLiteral("s1"), email));
        AppSetup setup = appSetup();
        if (runner)
            setup.processRunner = runner;
        AppState &state = makeAppState(std::move(setup));
        startAndWait(state);
        runSync(state.printAdapter().refreshPrinters());
        return state;
    }

    QImage capture(AppState &state, const QString &name, bool openStaffPanel = false,
                   QSize size = QSize(960, 1300))
    {
        m_view = std::make_unique<PrinterStatusView>(
            state, PrinterStatusStores{m_settings.get(), &m_media, m_appearance.get(), m_calibration.get()});
        m_view->resize(size);
        m_view->show();
        quill::testing::settle();
        if (openStaffPanel)
            m_view->wrenchButton()->click();
        quill::testing::settle();
        return test::captureScreen(*m_view, size, name);
    }

    CustomMediaStore m_media{*m_settings};
    std::unique_ptr<PrinterStatusView> m_view;
};

TEST_F(ScreensPrinterStatus, TwoPrinters)
{
    const QImage image =
        capture(signedIn(QStringLiteral("seller@example.com")), QStringLiteral("labels_two_printers"));
    EXPECT_EQ(m_view->statusLabel()->text(), QStringLiteral("Connected"));
    EXPECT_EQ(m_view->countLabel()->text(), QStringLiteral("2 printers"));
    EXPECT_FALSE(m_view->wrenchButton()->isVisible());
    EXPECT_FALSE(m_view->adminPanel()->isVisible());
    ASSERT_TRUE(m_view->inShowSection()->isVisible());
    // The cards stand on the screen's background, below the header bar.
    const QRect card =
        QRect(m_view->inShowSection()->mapTo(m_view.get(), QPoint()), m_view->inShowSection()->size());
    EXPECT_GT(card.top(), m_view->titleLabel()->mapTo(m_view.get(), QPoint()).y());
    EXPECT_LE(card.right(), image.width());
}

TEST_F(ScreensPrinterStatus, OnAWideWindowTheCardsFillTheWidth)
{
    const QImage image = capture(signedIn(QStringLiteral("seller@example.com")),
                                 QStringLiteral("labels_two_printers_wide"), false, QSize(1600, 1000));
    const QRect card =
        QRect(m_view->inShowSection()->mapTo(m_view.get(), QPoint()), m_view->inShowSection()->size());
    // No wide margins: the card runs from near one side to near the other.
    EXPECT_LT(card.left(), image.width() / 20);
    EXPECT_GT(card.right(), image.width() * 19 / 20);
}

TEST_F(ScreensPrinterStatus, StaffPanelOpen)
{
    capture(signedIn(QStringLiteral("ops@quillmark.app")), QStringLiteral("labels_staff_panel"), true);
    EXPECT_TRUE(m_view->wrenchButton()->isVisible());
    EXPECT_TRUE(m_view->adminPanel()->isVisible());
    EXPECT_LT(m_view->adminPanel()->mapTo(m_view.get(), QPoint()).y(),
              m_view->inShowSection()->mapTo(m_view.get(), QPoint()).y());
}

TEST_F(ScreensPrinterStatus, NoPrinters)
{
    FakeCups none{{}};
    GatedCups runner{none};
    const QImage image = capture(signedIn(QStringLiteral("seller@example.com"), &runner),
                                 QStringLiteral("labels_no_printers"));
    EXPECT_TRUE(m_view->emptyState()->isVisible());
    EXPECT_FALSE(m_view->sections()->isVisible());
    EXPECT_EQ(m_view->statusLabel()->text(), QStringLiteral("Disconnected"));
    // The screen's background under the empty state, not the cards'.
    const QPoint below =
        m_view->emptyState()->mapTo(m_view.get(), QPoint(4, m_view->emptyState()->height() + 40));
    EXPECT_EQ(image.pixelColor(below).rgb(), appBackgroundColor().rgb());
    m_view.reset();
    makeAppState(appSetup());
}

} // namespace
} // namespace quill::testing
