// The Labels screen's printer health, appearance card and font picker, and the
// Settings screen, as a seller sees them.
#include "fake_process_runner.h"
#include "printing/label_appearance_store.h"
#include "run_sync.h"
#include "screen_capture.h"
#include "shell_fixture.h"
#include "ui/labels/appearance_card.h"
#include "ui/labels/font_picker.h"
#include "ui/labels/print_mode_card.h"
#include "ui/labels/printer_health_controller.h"
#include "ui/labels/printer_health_section.h"
#include "ui/labels/settings_view.h"
#include "ui/widgets/disclosure_group.h"
#include "printing/printer_calibration_store.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QLabel>
#include <QPushButton>

#include <QVBoxLayout>

namespace quill::testing {
namespace {

// Four queues, one in each state; the stopped one holds two labels.
class FourQueues final : public printkit::PrinterQuerying
{
public:
    static inline const QStringList names{QStringLiteral("Desk_Zebra_7F3A9C"), QStringLiteral("Shipping_Rollo"),
                                          QStringLiteral("Office_Laser_A1B2"), QStringLiteral("Old_Dymo")};
    QCoro::Task<QList<printkit::PrinterDescriptor>> availablePrinters() override
    {
        QList<printkit::PrinterDescriptor> out;
        for (const QString &name : names)
            out.append(printkit::PrinterDescriptor{printkit::PrinterID{name}, name, name == names.first()});
        co_return out;
    }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> defaultPrinter() override { co_return std::nullopt; }
    QCoro::Task<std::optional<printkit::PrinterDescriptor>> preferredPrinter(QStringList) override
    {
        co_return std::nullopt;
    }

    static ProcessResult answer(const ProcessRequest &request)
    {
        const QStringList &args = request.arguments;
        if (args.size() == 2 && args.at(0) == QLatin1String("-p")) {
            const QString queue = args.at(1);
            if (queue == names.at(0))
                return FakeProcessRunner::finished(QStringLiteral("printer %1 is idle.  enabled since Mon Dec  7 07:46:34 2026\n").arg(queue));
            if (queue == names.at(1))
                return FakeProcessRunner::finished(QStringLiteral("printer %1 now printing %1-12.  enabled since Mon Dec  7 07:46:34 2026\n").arg(queue));
            if (queue == names.at(2))
                return FakeProcessRunner::finished(QStringLiteral("printer %1 disabled since Mon Dec  7 07:47:29 2026 -\n\tPaused\n").arg(queue));
            return FakeProcessRunner::finished(QStringLiteral("lpstat: Invalid destination name in list \"%1\".").arg(queue), 1);
        }
        if (args.size() == 2 && args.at(0) == QLatin1String("-o")) {
            if (args.at(1) == names.at(2))
                return FakeProcessRunner::finished(QStringLiteral("%1-7 seller 1024 Mon Dec  7 07:48:00 2026\n%1-8 seller 1024 Mon Dec  7 07:48:05 2026\n").arg(args.at(1)));
            if (args.at(1) == names.at(1))
                return FakeProcessRunner::finished(QStringLiteral("%1-12 seller 1024 Mon Dec  7 07:48:00 2026\n").arg(args.at(1)));
            return FakeProcessRunner::finished(QString());
        }
        if (args == QStringList{QStringLiteral("-e")})
            return FakeProcessRunner::finished(names.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return FakeProcessRunner::finished(QString());
    }
};

class ScreensLabelSettings : public ShellFixture
{
protected:
    AppState &startWithFourQueues(const QString &email)
    {
        m_runner.setResponder(&FourQueues::answer);
        storeSession(QStringLiteral("u1"), email);
        AppSetup appSetup = setup();
        appSetup.processRunner = &m_runner;
        appSetup.printerCatalog = std::make_shared<FourQueues>();
        AppState &app = makeAppState(std::move(appSetup));
        startAndWait(app);
        runSync(app.printAdapter().refreshPrinters());
        EXPECT_EQ(app.printAdapter().printers().size(), 4);
        return app;
    }

    FakeProcessRunner m_runner;
};

TEST_F(ScreensLabelSettings, PrinterHealthWithFourBadges)
{
    AppState &app = startWithFourQueues(QStringLiteral("ava@example.com"));
    PrinterHealthController controller(app.printAdapter());
    QWidget page;
    fillBackground(&page, appBackgroundColor());
    auto *layout = new QVBoxLayout(&page);
    auto *group = new DisclosureGroup(QStringLiteral("Printer Health"), &page);
    auto *section = new PrinterHealthSection(controller);
    group->setContent(section);
    layout->addWidget(group);
    layout->addStretch();
    page.resize(560, 380);
    page.show();
    const int checks = int(m_runner.requests().size());
    group->setExpanded(true);
    // Opening the group refreshes the list and builds the cards afresh.
    ASSERT_TRUE(eventually([&] {
        return int(m_runner.requests().size()) > checks && section->cards().size() == 4 &&
               section->cards().constLast()->isVisible();
    }));
    QStringList badges;
    int fixes = 0;
    for (PrinterHealthCard *card : section->cards()) {
        badges.append(card->badgeText());
        fixes += card->fixButton() != nullptr;
    }
    EXPECT_EQ(badges, (QStringList{"Idle", "Printing", "Stopped", "Unknown"}));
    EXPECT_EQ(fixes, 1);
    const QImage shot = test::captureScreen(page, QSize(560, 380), QStringLiteral("labels_printer_health"));
    // The stopped card's orange "Fix" sits at its right end.
    const PrinterHealthCard *stopped = section->cards().at(2);
    const QPoint fixCentre = stopped->fixButton()->mapTo(&page, stopped->fixButton()->rect().center());
    const QColor fix = shot.pixelColor(fixCentre.x() - 10, fixCentre.y());
    EXPECT_GT(fix.red(), 200);
    EXPECT_LT(fix.blue(), 100);
}

TEST_F(ScreensLabelSettings, AppearanceCardWithALogoAndTheFontPicker)
{
    LabelAppearanceStore store(*m_settings, m_home.filePath(QStringLiteral("logo.png")));
    store.setFontChoice(LabelFontChoice::americanTypewriter);
    QImage logo(300, 120, QImage::Format_ARGB32);
    logo.fill(QColor(30, 120, 220));
    const QString path = m_home.filePath(QStringLiteral("shop.png"));
    ASSERT_TRUE(logo.save(path));
    store.setLogo(path);

    QWidget page;
    fillBackground(&page, appBackgroundColor());
    auto *layout = new QVBoxLayout(&page);
    auto *staffRow = new QHBoxLayout;
    PrinterCalibrationStore calibration(*m_settings);
    calibration.setVerticalOffset(-2);
    staffRow->addWidget(new PrintModeSection(store, &page));
    staffRow->addWidget(new PrinterCalibrationSection(calibration, &page));
    layout->addLayout(staffRow);
    auto *card = new LabelAppearanceSection(true, store, [] { return std::nullopt; }, &page);
    layout->addWidget(card);
    layout->addStretch();
    const QImage shot = test::captureScreen(page, QSize(900, 420), QStringLiteral("labels_appearance_with_logo"));
    ASSERT_TRUE(card->logoThumbnail()->isVisible());
    const QPoint logoCentre = card->logoThumbnail()->mapTo(&page, card->logoThumbnail()->rect().center());
    const QColor blue = shot.pixelColor(logoCentre);
    EXPECT_GT(blue.blue(), 180);
    EXPECT_LT(blue.red(), 80);

    FontPickerPopover picker(store.fontChoice());
    fillBackground(&picker, cardBackgroundColor());
    picker.adjustSize();
    const QImage popover = test::captureScreen(picker, picker.sizeHint(), QStringLiteral("labels_font_picker"));
    EXPECT_EQ(popover.width(), 202);
    EXPECT_LE(popover.height(), 403);
}

TEST_F(ScreensLabelSettings, SettingsForStaffWithAStoppedQueue)
{
    AppState &app = startWithFourQueues(QStringLiteral("ops@quillmark.app"));
    SettingsView view(app, [] {});
    fillBackground(&view, appBackgroundColor());
    const QImage shot = test::captureScreen(view, QSize(760, 820), QStringLiteral("settings_staff_stopped_queue"));
    EXPECT_EQ(view.sectionHeaders(), (QStringList{"Printer Health", "Quillmark", "Whatnot", "Environment"}));
    // The form stays a centred column of at most 500 points.
    EXPECT_EQ(shot.pixel(40, 400), appBackgroundColor().rgb());
}

} // namespace
} // namespace quill::testing
