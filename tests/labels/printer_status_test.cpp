// The Labels screen's logic over the application's services (fake CUPS tools, the
// stand-in backend): auto-select, saving, style sync, the header texts and the
// preview sheet's state; and a few checks of the screen's wiring.
#include "full_disk.h"
#include "labels_screen_fixture.h"
#include "motion_on.h"
#include "printing/custom_media_store.h"
#include "run_sync.h"
#include "ui/app/section_screens.h"
#include "ui/labels/appearance_card.h"
#include "ui/labels/consolidated_label_section.h"
#include "ui/labels/font_picker.h"
#include "ui/labels/label_card_widgets.h"
#include "ui/labels/label_preview_modal.h"
#include "ui/labels/label_section_view.h"
#include "ui/labels/print_error_row.h"
#include "ui/labels/printer_status_controller.h"
#include "ui/labels/printer_status_view.h"
#include "ui/widgets/disclosure_group.h"
#include "ui/widgets/empty_state_view.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/motion.h"
#include "ui/widgets/segmented_control.h"
#include "wheel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace quill;
using namespace quill::testing;

namespace {

const QString kGone = QStringLiteral("Gone_Printer");

QString printerKey(LabelKind kind)
{
    return QStringLiteral("label_") + LabelSectionState::labelTypeWord(int(kind)) +
           QStringLiteral("_printer");
}

// The settings the Labels screen saves to, on a small disk of their own that a test fills.
struct SettingsOnTmpfs
{
    QTemporaryDir dir;
    TmpfsFullDisk disk{dir.filePath(QStringLiteral("disk"))};
    // Why this machine refused the disk; empty once it is mounted.
    QString refused = disk.mount();
    Settings settings{dir.filePath(QStringLiteral("disk/Quillmark.ini"))};
    CustomMediaStore media{settings};
    LabelAppearanceStore appearance{settings, dir.filePath(QStringLiteral("logo.png"))};
};

class PrinterStatusTest : public LabelsFixture
{
protected:
    void TearDown() override
    {
        m_view.reset();
        m_controller.reset();
        LabelsFixture::TearDown();
    }

    PrinterStatusStores stores()
    {
        return {m_settings.get(), &m_media, m_appearance.get(), m_calibration.get()};
    }
    PrinterStatusStores stores(SettingsOnTmpfs &stored)
    {
        return {&stored.settings, &stored.media, &stored.appearance, m_calibration.get()};
    }

    // The services with the printers listed; `runner` null: TestLabel and Office_Printer_A1B2C3.
    AppState &app(ProcessRunner *runner = nullptr)
    {
        AppSetup setup = appSetup();
        if (runner)
            setup.processRunner = runner;
        AppState &state = makeAppState(std::move(setup));
        runSync(state.printAdapter().refreshPrinters());
        return state;
    }

    AppState &signedIn(const QString &email)
    {
        m_tokens.setItem(QStringLiteral("session_token"), m_backend.addUser(QStringLiteral("s1"), email));
        AppState &state = makeAppState(appSetup());
        startAndWait(state);
        runSync(state.printAdapter().refreshPrinters());
        return state;
    }

    PrinterStatusController &controller(AppState &state)
    {
        m_controller = std::make_unique<PrinterStatusController>(state, stores());
        return *m_controller;
    }

    PrinterStatusView &view(AppState &state)
    {
        m_view = std::make_unique<PrinterStatusView>(state, stores(), [] { return std::nullopt; });
        m_view->resize(900, 900);
        m_view->show();
        turn();
        return *m_view;
    }

    void store(LabelKind kind, std::optional<QString> printer)
    {
        LabelSectionState state = LabelSectionState::load(int(kind), *m_settings);
        state.selectedPrinter = std::move(printer);
        state.save(int(kind), *m_settings);
    }

    CustomMediaStore m_media{*m_settings};
    std::unique_ptr<PrinterStatusController> m_controller;
    std::unique_ptr<PrinterStatusView> m_view;
};

TEST_F(PrinterStatusTest, AutoSelectFillsOnlyMissingPrinters)
{
    using P = std::optional<QString>;
    struct Case
    {
        const char *name;
        bool listsPrinters;
        bool separateBox;
        P winner, box, slip; // stored before the screen is built
        P wantWinner, wantBox, wantSlip;
    };
    const Case cases[] = {
        {"first launch", true, false, {}, {}, {}, kQueue, kQueue, kQueue},
        {"kept", true, true, kOther, kOther, kOther, kOther, kOther, kOther},
        {"vanished and absent", true, true, kOther, kGone, {}, kOther, kQueue, kQueue},
        {"shared box follows the winner", true, false, kOther, kGone, kGone, kOther, kOther, kQueue},
        {"shared box and winner both vanished", true, false, kGone, kGone, kOther, kQueue, kQueue, kOther},
        {"none listed", false, false, kGone, {}, {}, kGone, {}, {}},
    };
    FakeCups none{{}};
    GatedCups noneRunner{none};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_controller.reset();
        m_settings->setBool(ConsolidatedLabelController::separateKey(), c.separateBox);
        store(LabelKind::winner, c.winner);
        store(LabelKind::box, c.box);
        store(LabelKind::packingSlip, c.slip);
        PrinterStatusController &status = controller(app(c.listsPrinters ? nullptr : &noneRunner));
        EXPECT_EQ(status.model().winner().selectedPrinter, c.winner) << "nothing changes before it is shown";

        status.screenShown();
        EXPECT_EQ(status.model().winner().selectedPrinter, c.wantWinner);
        EXPECT_EQ(status.model().box().selectedPrinter, c.wantBox);
        EXPECT_EQ(status.model().packingSlip().selectedPrinter, c.wantSlip);
        // Saved at once, as the next visit reads them.
        EXPECT_EQ(m_settings->optionalString(printerKey(LabelKind::winner)), c.wantWinner);
        EXPECT_EQ(m_settings->optionalString(printerKey(LabelKind::box)), c.wantBox);
        EXPECT_EQ(m_settings->optionalString(printerKey(LabelKind::packingSlip)), c.wantSlip);

        // The in-show card then keeps shared settings shared.
        ConsolidatedLabelController card(status.model(), {}, m_media, *m_appearance, *m_settings);
        card.cardShown();
        EXPECT_EQ(card.isSeparate(), c.separateBox);
        EXPECT_EQ(m_settings->boolValue(ConsolidatedLabelController::separateKey()), c.separateBox);
    }
    m_controller.reset();
    makeAppState(appSetup()); // the services go before their runner
}

TEST_F(PrinterStatusTest, EveryChangeIsSavedAtOnce)
{
    struct Case
    {
        const char *name;
        std::function<void(LabelSectionState &)> change;
        QString key;
        QString stored;
    };
    const Case cases[] = {
        {"medium", [](LabelSectionState &s) { s.selectedMedia = LabelMedia::circle2(); }, "paperSize",
         "2circle"},
        {"orientation", [](LabelSectionState &s) { s.selectedOrientation = Orientation::portrait; },
         "orientation", "Portrait"},
        {"style", [](LabelSectionState &s) { s.selectedStyle = LabelVariant::classic; }, "style", "Classic"},
        {"printer", [](LabelSectionState &s) { s.selectedPrinter = kOther; }, "printer", kOther},
    };
    PrinterStatusController &status = controller(app());
    for (LabelKind kind : {LabelKind::winner, LabelKind::box, LabelKind::packingSlip}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.name) + " of " +
                         LabelSectionState::labelTypeWord(int(kind)).toStdString());
            const QString key = QStringLiteral("label_") + LabelSectionState::labelTypeWord(int(kind)) +
                                QLatin1Char('_') + c.key;
            status.model().update(kind, c.change);
            EXPECT_EQ(m_settings->stringValue(key), c.stored);
            EXPECT_EQ(LabelSectionState::load(int(kind), *m_settings), status.model().state(kind));
        }
        // A print starting is not a setting: nothing is written for it.
        const QString printer = printerKey(kind);
        m_settings->setString(printer, QStringLiteral("marker"));
        status.model().update(kind, [](LabelSectionState &s) { s.isPrinting = true; });
        EXPECT_EQ(m_settings->stringValue(printer), QStringLiteral("marker"));
    }
}

TEST_F(PrinterStatusTest, TheAppearanceStyleReachesEveryLabelType)
{
    PrinterStatusController &status = controller(app());
    m_appearance->setStyle(LabelVariant::classic);
    m_appearance->setStyle(LabelVariant::minimal);
    for (LabelKind kind : {LabelKind::winner, LabelKind::box, LabelKind::packingSlip}) {
        EXPECT_EQ(status.model().state(kind).selectedStyle, LabelVariant::minimal);
        EXPECT_EQ(LabelSectionState::load(int(kind), *m_settings).selectedStyle, LabelVariant::minimal);
    }
}

TEST_F(PrinterStatusTest, StatusAndCountFollowTheAdapter)
{
    struct Case
    {
        const char *name;
        QStringList queues;
        QStringList stopped;
        QString status;
        QString count;
    };
    const Case cases[] = {
        {"none", {}, {}, "Disconnected", "0 printers"},
        {"one", {"TestLabel"}, {}, "Connected", "1 printer"},
        {"one of three stopped", {"A", "B", "C"}, {"B"}, "Queue Stopped", "3 printers"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_controller.reset();
        FakeCups cups{c.queues};
        for (const QString &queue : c.stopped)
            cups.stop(queue);
        GatedCups runner{cups};
        PrinterStatusController &status = controller(app(&runner));
        EXPECT_EQ(status.status().text, c.status);
        EXPECT_EQ(status.countText(), c.count);
        EXPECT_EQ(status.hasPrinters(), !c.queues.isEmpty());
        m_controller.reset();
        makeAppState(appSetup()); // the services go before their runner
    }
}

TEST_F(PrinterStatusTest, PreviewOpensAndCloses)
{
    PrinterStatusController &status = controller(app());
    EXPECT_FALSE(status.isPreviewOpen());
    EXPECT_EQ(status.previewMedia().id, LabelMedia::shipping4x6().id);
    EXPECT_EQ(status.previewOrientation(), Orientation::landscape);

    int prints = 0;
    LabelTestPrintReader print = [&prints]() -> std::optional<LabelTestPrint> {
        ++prints;
        return std::nullopt;
    };
    PageBuilder builder = [](double) { return QList<AnyLabelView>{}; };
    struct Case
    {
        const char *name;
        bool byClose; // else the sheet went by itself
        bool printKept;
    };
    for (const Case c : {Case{"Close", true, false}, Case{"dismissed", false, true}}) {
        SCOPED_TRACE(c.name);
        status.openPreview(builder, LabelMedia::circle2(), Orientation::portrait, print);
        EXPECT_TRUE(status.isPreviewOpen());
        EXPECT_EQ(status.previewMedia().id, LabelMedia::circle2().id);
        EXPECT_EQ(status.previewOrientation(), Orientation::portrait);
        ASSERT_TRUE(status.previewPrintAction());
        c.byClose ? status.closePreview() : status.previewDismissed();
        EXPECT_FALSE(status.isPreviewOpen());
        EXPECT_EQ(bool(status.previewPrintAction()), c.printKept);
    }
    status.openPreview(builder, LabelMedia::letter(), Orientation::portrait, {});
    EXPECT_FALSE(status.previewPrintAction()) << "the next preview without a print has none";
    EXPECT_EQ(prints, 0);
}

TEST_F(PrinterStatusTest, TheScreenOpensAndClosesThePreviewSheet)
{
    store(LabelKind::packingSlip, kQueue);
    PrinterStatusView &screen = view(app());
    ASSERT_TRUE(screen.packingSlipSection()->isVisible());
    QTest::mouseClick(screen.packingSlipSection()->thumbnail()->pageView(), Qt::LeftButton);
    turn();
    ASSERT_NE(screen.previewModal(), nullptr);
    EXPECT_TRUE(screen.controller().isPreviewOpen());
    EXPECT_FALSE(screen.previewModal()->pageViews().isEmpty());
    ASSERT_NE(screen.previewModal()->printButton(), nullptr);

    screen.previewModal()->closeButton()->click();
    turn();
    EXPECT_EQ(screen.previewModal(), nullptr);
    EXPECT_FALSE(screen.controller().isPreviewOpen());
    EXPECT_FALSE(screen.controller().previewPrintAction());
}

TEST_F(PrinterStatusTest, APrinterFilledInForTheLiveShowIsKeptByTheNextChangeHere)
{
    for (LabelKind kind : {LabelKind::winner, LabelKind::box, LabelKind::packingSlip})
        store(kind, std::nullopt);
    AppState &state = makeAppState(appSetup()); // no printer listed yet
    state.liveShow();
    PrinterStatusView &screen = view(state);
    PrinterStatusController &status = screen.controller();
    ASSERT_FALSE(status.model().winner().selectedPrinter);

    runSync(state.printAdapter().refreshPrinters()); // the live show fills in its choices
    ASSERT_EQ(m_settings->optionalString(printerKey(LabelKind::winner)), kQueue);
    EXPECT_TRUE(eventually([&] { return status.model().winner().selectedPrinter == kQueue; }))
        << "the screen shows the printer the labels go to";
    EXPECT_EQ(status.model().packingSlip().selectedPrinter, kQueue);

    // The seller's next change keeps the printer on disk and on screen.
    status.model().update(LabelKind::winner,
                          [](LabelSectionState &s) { s.selectedOrientation = Orientation::portrait; });
    status.model().update(LabelKind::packingSlip,
                          [](LabelSectionState &s) { s.selectedMedia = LabelMedia::shipping4x6(); });
    for (LabelKind kind : {LabelKind::winner, LabelKind::packingSlip})
        EXPECT_EQ(m_settings->optionalString(printerKey(kind)), kQueue) << int(kind);
    EXPECT_EQ(LabelSectionState::load(0, *m_settings).selectedOrientation, Orientation::portrait);

    // A printer the seller clears here stays cleared.
    status.model().update(LabelKind::box, [](LabelSectionState &s) { s.selectedPrinter.reset(); });
    EXPECT_FALSE(m_settings->optionalString(printerKey(LabelKind::box)));
    EXPECT_FALSE(status.model().box().selectedPrinter);
}

TEST_F(PrinterStatusTest, TheScreenChoosesPrintersBeforeTheInShowCardLooks)
{
    store(LabelKind::winner, kOther);
    store(LabelKind::box, kGone);
    PrinterStatusView &screen = view(app());
    EXPECT_FALSE(screen.inShowSection()->separateToggle()->isChecked());
    EXPECT_FALSE(m_settings->boolValue(ConsolidatedLabelController::separateKey()));
    EXPECT_EQ(screen.controller().model().box().selectedPrinter, kOther);
}

TEST_F(PrinterStatusTest, APrintOutlivesItsScreen)
{
    AppState &state = signedIn(QStringLiteral("seller@example.com"));
    PrinterStatusView &screen = view(state);
    m_runner.holdLp = true;
    screen.inShowSection()->testWinnerButton()->click();
    ASSERT_TRUE(eventually([&] { return m_runner.waiting == 1; }));
    m_view.reset(); // the seller moved to another section
    m_runner.gate.open();
    ASSERT_TRUE(eventually([&] { return m_settings->boolValue(QStringLiteral("s1_has_test_printed")); }));
    ASSERT_TRUE(eventually([&] { return onboardingPosts() == 1; }));
    ASSERT_EQ(m_cups.submissions().size(), 1);
    EXPECT_EQ(m_cups.submissions().first().pageSize, QStringLiteral("Custom.144x72"));
    eventually([&] { return state.authManager().api().requestsInFlight() == 0; });
}

TEST_F(PrinterStatusTest, OnlyStaffSeeTheWrench)
{
    for (const QString &email : {QStringLiteral("seller@example.com"), QStringLiteral("ops@quillmark.app")}) {
        SCOPED_TRACE(email.toStdString());
        m_view.reset();
        PrinterStatusView &screen = view(signedIn(email));
        const bool staff = email.endsWith(QLatin1String("quillmark.app"));
        EXPECT_EQ(screen.wrenchButton()->isVisible(), staff);
        EXPECT_EQ(screen.appearanceSection()->logoColumn() != nullptr, staff);
        EXPECT_FALSE(screen.adminPanel()->isVisible());
        screen.wrenchButton()->click();
        EXPECT_EQ(screen.adminPanel()->isVisible(), staff);
        EXPECT_EQ(screen.controller().showAdmin(), staff);
        EXPECT_EQ(screen.wrenchButton()->toolTip(), QStringLiteral("Admin settings"));
    }
}

TEST_F(PrinterStatusTest, TheStaffRowFadesInAndOut)
{
    const MotionOn motion;
    PrinterStatusView &screen = view(signedIn(QStringLiteral("ops@quillmark.app")));
    QWidget *row = screen.adminPanel();
    screen.wrenchButton()->click();
    EXPECT_TRUE(screen.controller().showAdmin()); // at once
    EXPECT_TRUE(row->isVisible());
    EXPECT_TRUE(Motion::isMoving(row));
    Motion::finishAll(&screen);
    EXPECT_TRUE(row->isVisible());
    EXPECT_EQ(row->graphicsEffect(), nullptr);

    screen.wrenchButton()->click();
    EXPECT_FALSE(screen.controller().showAdmin());
    EXPECT_TRUE(Motion::isLeaving(row));
    Motion::finishAll(&screen);
    EXPECT_FALSE(row->isVisible());
}

TEST_F(PrinterStatusTest, WithoutPrintersTheScreenSaysNoPrinters)
{
    FakeCups none{{}};
    GatedCups runner{none};
    PrinterStatusView &screen = view(app(&runner));
    EXPECT_TRUE(screen.emptyState()->isVisible());
    EXPECT_EQ(screen.emptyState()->title(), QStringLiteral("No Printers"));
    EXPECT_GE(screen.emptyState()->height(), 200);
    EXPECT_FALSE(screen.sections()->isVisible());
    EXPECT_EQ(screen.statusLabel()->text(), QStringLiteral("Disconnected"));
    EXPECT_EQ(screen.countLabel()->text(), QStringLiteral("0 printers"));
    EXPECT_TRUE(screen.refreshButton()->isVisible());
    m_view.reset();
    makeAppState(appSetup());
}

TEST_F(PrinterStatusTest, TheWheelBringsCustomIntoReachWithThreeCustomSizes)
{
    for (const QString &id : {QStringLiteral("jar"), QStringLiteral("tin"), QStringLiteral("tag")})
        m_media.add({id, 3, 2, false, QStringLiteral("Custom ") + id});
    PrinterStatusView &screen = view(app());
    // The window's default width less the sidebar.
    screen.resize(1100 - 220, 800);
    turn();
    MediaStrip *strip = screen.inShowSection()->winnerStrip();
    auto *scroll = strip->findChild<QScrollArea *>(QStringLiteral("mediaStripScroll"));
    ASSERT_NE(scroll, nullptr);
    CustomMediaTile *custom = strip->customTile();
    const auto reachable = [&] {
        return scroll->viewport()->rect().contains(
            QRect(custom->mapTo(scroll->viewport(), QPoint(0, 0)), custom->size()));
    };
    ASSERT_FALSE(reachable()) << "the strip is wider than its card at this width";

    // A plain mouse wheel turned down over the strip moves it sideways.
    for (int notch = 0; notch < 20 && !reachable(); ++notch)
        ASSERT_TRUE(turnWheelDown(scroll->viewport()));
    EXPECT_TRUE(reachable());
}

TEST_F(PrinterStatusTest, ATurnOfTheWheelThatMovesTheStripStaysWithIt)
{
    for (const QString &id : {QStringLiteral("jar"), QStringLiteral("tin"), QStringLiteral("tag")})
        m_media.add({id, 3, 2, false, QStringLiteral("Custom ") + id});
    PrinterStatusView &screen = view(app());
    screen.resize(1100 - 220, 500); // short enough for the page to scroll too
    turn();
    MediaStrip *strip = screen.inShowSection()->winnerStrip();
    QScrollBar *sideways =
        strip->findChild<QScrollArea *>(QStringLiteral("mediaStripScroll"))->horizontalScrollBar();
    QScrollBar *page = screen.findChild<QScrollArea *>()->verticalScrollBar();
    ASSERT_GT(sideways->maximum(), 0);
    ASSERT_GT(page->maximum(), 0);
    const QPoint overStrip = strip->mapTo(&screen, strip->rect().center());
    quint64 time = 1000;
    const QPoint down(0, -120);

    // One quick turn, notch after notch: the strip runs to its end, and the rest of the
    // turn is still the strip's.
    for (int notch = 0; notch < 20; ++notch, time += 16)
        turnWheelAt(&screen, overStrip, down, time);
    EXPECT_EQ(sideways->value(), sideways->maximum());
    EXPECT_EQ(page->value(), 0);

    // A new turn after a pause, with the strip at its end, scrolls the page.
    time += 1000;
    turnWheelAt(&screen, overStrip, down, time);
    EXPECT_GT(page->value(), 0);
    EXPECT_EQ(sideways->value(), sideways->maximum());
}

TEST_F(PrinterStatusTest, ASizeOrLayoutTheDiskRefusesIsShownInTheErrorRowUntilASaveSucceeds)
{
    SettingsOnTmpfs stored;
    if (!stored.refused.isEmpty())
        GTEST_SKIP() << stored.refused.toStdString();
    TmpfsFullDisk &disk = stored.disk;
    const Settings &settings = stored.settings;
    PrinterStatusView screen(app(), stores(stored), [] { return std::nullopt; });
    screen.resize(900, 900);
    screen.show();
    turn();
    PrintErrorRow *row = screen.errorRow();
    ConsolidatedLabelSection *card = screen.inShowSection();
    ASSERT_FALSE(row->isVisible());
    auto chooseAnotherSize = [&] {
        for (MediaTile *tile : card->winnerStrip()->tiles()) {
            if (tile->media() != screen.controller().model().winner().selectedMedia) {
                tile->click();
                turn();
                return;
            }
        }
        FAIL() << "no other size to choose";
    };
    const auto notSaved = [&] {
        return row->isVisible() && row->text().startsWith(QStringLiteral("Label settings not saved: ")) &&
               row->text().contains(settings.fileName());
    };

    disk.fill();
    chooseAnotherSize();
    EXPECT_TRUE(notSaved()) << row->text().toStdString();
    EXPECT_FALSE(row->dismissButton()->isVisible()) << "it stays until a save succeeds";

    disk.makeRoom();
    chooseAnotherSize();
    EXPECT_FALSE(row->isVisible()) << row->text().toStdString();

    disk.fill();
    const Orientation before = screen.controller().model().winner().selectedOrientation;
    card->winnerOrientation()->click();
    turn();
    ASSERT_NE(screen.controller().model().winner().selectedOrientation, before);
    EXPECT_TRUE(notSaved()) << row->text().toStdString();

    disk.makeRoom();
    card->winnerOrientation()->click();
    turn();
    EXPECT_FALSE(row->isVisible()) << row->text().toStdString();

    // A layout (the label style) the disk refuses, and then one it takes.
    SegmentedControl *layouts = screen.appearanceSection()->stylePicker();
    disk.fill();
    layouts->segment(1)->click();
    turn();
    ASSERT_EQ(stored.appearance.style(), kAllLabelVariants[1]);
    EXPECT_TRUE(notSaved()) << row->text().toStdString();
    disk.makeRoom();
    layouts->segment(2)->click();
    turn();
    EXPECT_FALSE(row->isVisible()) << row->text().toStdString();

    // Box labels on settings of their own.
    disk.fill();
    card->separateToggle()->click();
    turn();
    EXPECT_TRUE(notSaved()) << row->text().toStdString();
    disk.makeRoom();
    chooseAnotherSize();
    EXPECT_FALSE(row->isVisible()) << row->text().toStdString();
    EXPECT_TRUE(Settings(settings.fileName()).boolValue(ConsolidatedLabelController::separateKey()));
    EXPECT_EQ(Settings(settings.fileName()).optionalString(QStringLiteral("label_individual_orientation")),
              rawValue(before));
}

// The row sits under the cards, far below the size tiles a seller changes: each time it
// shows or says something new, the page scrolls to it.
TEST_F(PrinterStatusTest, TheErrorRowIsScrolledIntoViewWhenItShowsOrChanges)
{
    SettingsOnTmpfs stored;
    if (!stored.refused.isEmpty())
        GTEST_SKIP() << stored.refused.toStdString();
    PrinterStatusView screen(app(), stores(stored), [] { return std::nullopt; });
    // The room the main window gives the screen at its default size, less the sidebar.
    screen.resize(1100 - 220, 800);
    screen.show();
    turn();
    auto *page = screen.findChild<QScrollArea *>();
    ASSERT_NE(page, nullptr);
    QScrollBar *bar = page->verticalScrollBar();
    PrintErrorRow *row = screen.errorRow();
    ConsolidatedLabelSection *card = screen.inShowSection();
    const auto inView = [&](QWidget *widget) {
        return widget->isVisible() && page->viewport()->rect().contains(QRect(
                                          widget->mapTo(page->viewport(), QPoint(0, 0)), widget->size()));
    };
    // The seller scrolls back up to the tiles, as with the Home key or the bar.
    const auto backToTheTiles = [&] {
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        turn();
        return bar->value() == 0 && inView(card->winnerStrip()) && !inView(row);
    };
    const auto chooseAnotherSize = [&] {
        for (MediaTile *tile : card->winnerStrip()->tiles()) {
            if (tile->media() != screen.controller().model().winner().selectedMedia) {
                tile->click();
                return true;
            }
        }
        return false;
    };
    ASSERT_FALSE(row->isVisible());
    ASSERT_EQ(bar->value(), 0);

    // A size the disk refuses.
    stored.disk.fill();
    ASSERT_TRUE(chooseAnotherSize());
    ASSERT_TRUE(
        eventually([&] { return row->text().startsWith(QStringLiteral("Label settings not saved: ")); }));
    turn();
    EXPECT_TRUE(inView(row)) << "row at " << row->mapTo(page->viewport(), QPoint(0, 0)).y() << " of "
                             << page->viewport()->height();
    // It keeps its place under the cards.
    EXPECT_GT(
        row->mapTo(&screen, QPoint(0, 0)).y(),
        screen.packingSlipSection()->mapTo(&screen, QPoint(0, screen.packingSlipSection()->height())).y());

    // Back up at the tiles, the page stays there while the row says the same.
    ASSERT_TRUE(backToTheTiles());
    ASSERT_TRUE(chooseAnotherSize());
    turn();
    EXPECT_EQ(bar->value(), 0);

    // A test print the printer refuses joins the save's failure.
    m_cups.refuse(kQueue, QStringLiteral("lp: Destination \"TestLabel\" is not accepting jobs."));
    card->testWinnerButton()->click();
    ASSERT_TRUE(eventually([&] { return row->text().contains(QStringLiteral("not accepting jobs")); }));
    turn();
    EXPECT_TRUE(inView(row));
    EXPECT_TRUE(row->text().contains(QStringLiteral("Label settings not saved: ")))
        << row->text().toStdString();

    // The save's failure goes with a save that succeeds; the print's is dismissed.
    stored.disk.makeRoom();
    row->dismissButton()->click();
    ASSERT_TRUE(chooseAnotherSize());
    ASSERT_TRUE(eventually([&] { return !row->isVisible(); }));

    // A print failure alone brings the row back into view.
    ASSERT_TRUE(backToTheTiles());
    m_cups.refuse(kQueue, QStringLiteral("lp: stopped"));
    card->testWinnerButton()->click();
    ASSERT_TRUE(eventually([&] { return row->text() == QLatin1String("lp: stopped"); }));
    turn();
    EXPECT_TRUE(inView(row));
    EXPECT_TRUE(row->dismissButton()->isVisible());
}

TEST_F(PrinterStatusTest, TheShellBuildsTheLabelsScreenOnEachVisit)
{
    AppState &state = app();
    SidebarSelection selection;
    std::unique_ptr<QWidget> first = makeSectionScreen(SidebarSection::printers, state, selection);
    auto *screen = qobject_cast<PrinterStatusView *>(first.get());
    ASSERT_NE(screen, nullptr);
    first->show();
    turn();
    EXPECT_EQ(screen->titleLabel()->text(), QStringLiteral("Labels"));
    EXPECT_EQ(screen->statusLabel()->text(), QStringLiteral("Connected"));
    EXPECT_EQ(screen->countLabel()->text(), QStringLiteral("2 printers"));
    EXPECT_FALSE(screen->healthGroup()->isExpanded());
    EXPECT_EQ(screen->controller().model().winner().selectedPrinter, kQueue);

    // "Refresh" asks the scheduler again and the header follows.
    m_cups.stop(kOther);
    screen->refreshButton()->click();
    ASSERT_TRUE(eventually([&] { return screen->statusLabel()->text() == QLatin1String("Queue Stopped"); }));

    // A setting written elsewhere in between is read again on the next visit.
    m_settings->setBool(ConsolidatedLabelController::separateKey(), true);
    std::unique_ptr<QWidget> second = makeSectionScreen(SidebarSection::printers, state, selection);
    EXPECT_TRUE(
        qobject_cast<PrinterStatusView *>(second.get())->controller().model().useSeparateBoxPrinter());
}

} // namespace
