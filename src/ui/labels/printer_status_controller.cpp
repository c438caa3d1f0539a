#include "ui/labels/printer_status_controller.h"

#include "app/app_state.h"
#include "backend/auth_manager.h"
#include "common/detached_task.h"
#include "common/logging.h"
#include "common/settings.h"
#include "printing/custom_media_store.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/printer_calibration_store.h"
#include "ui/labels/label_test_actions.h"

#include <QCoroTask>

namespace quill {

namespace {

// Only what is stored counts: the printing flag is the screen's alone.
bool sameStored(const LabelSectionState &a, const LabelSectionState &b)
{
    LabelSectionState left = a;
    left.isPrinting = b.isPrinting;
    return left == b;
}

bool isListed(const std::optional<QString> &printer, const QList<PrinterInfo> &printers)
{
    return printer && std::any_of(printers.begin(), printers.end(),
                                  [&](const PrinterInfo &info) { return info.name == *printer; });
}

} // namespace

PrinterStatusStores PrinterStatusStores::of(AppState &appState)
{
    return {&appState.settings(), &appState.customMediaStore(), &appState.labelAppearanceStore(),
            &appState.printerCalibrationStore()};
}

PrinterStatusController::PrinterStatusController(AppState &appState, PrinterStatusStores stores,
                                                 QObject *parent)
    : QObject(parent), m_appState(appState), m_stores(stores),
      m_testActions(new LabelTestActions(appState.printService(), appState.authManager().api(),
                                         *stores.settings, this)),
      m_previewMedia(LabelMedia::shipping4x6())
{
    Settings &settings = *m_stores.settings;
    for (LabelKind kind : {LabelKind::winner, LabelKind::box, LabelKind::packingSlip}) {
        m_saved.at(size_t(kind)) = LabelSectionState::load(int(kind), settings);
        m_model.setState(kind, m_saved.at(size_t(kind)));
    }
    m_model.setUseSeparateBoxPrinter(settings.boolValue(ConsolidatedLabelController::separateKey()));

    connect(&m_model, &LabelSettingsModel::winnerChanged, this, [this] { save(LabelKind::winner); });
    connect(&m_model, &LabelSettingsModel::boxChanged, this, [this] { save(LabelKind::box); });
    connect(&m_model, &LabelSettingsModel::packingSlipChanged, this,
            [this] { save(LabelKind::packingSlip); });
    connect(m_stores.appearance, &LabelAppearanceStore::styleChanged, this,
            &PrinterStatusController::syncStyle);
    connect(m_stores.appearance, &LabelAppearanceStore::saveFinished, this,
            &PrinterStatusController::saveFinished);
    connect(m_stores.customMedia, &CustomMediaStore::saveFinished, this,
            &PrinterStatusController::saveFinished);
    // The in-show card stores its switch when told of it, after this connection: queued,
    // the commit comes once the switch is stored.
    connect(
        &m_model, &LabelSettingsModel::useSeparateBoxPrinterChanged, this,
        [this] { saveFinished(m_stores.settings->commit()); }, Qt::QueuedConnection);

    PrintKitAdapter &adapter = m_appState.printAdapter();
    connect(&adapter, &PrintKitAdapter::printersChanged, this, &PrinterStatusController::changed);
    // Queued: the live show fills in its printer choices on the same signal.
    connect(&adapter, &PrintKitAdapter::printersChanged, this, &PrinterStatusController::followStoredPrinters,
            Qt::QueuedConnection);
    connect(&adapter, &PrintKitAdapter::isConnectedChanged, this, &PrinterStatusController::changed);
    connect(&m_appState.authManager(), &AuthManager::stateChanged, this,
            &PrinterStatusController::authChanged);
}

PrinterStatusController::~PrinterStatusController() = default;

const QList<PrinterInfo> &PrinterStatusController::printers() const
{
    return m_appState.printAdapter().printers();
}

LabelsStatus PrinterStatusController::status() const
{
    return LabelsStatus::of(m_appState.printAdapter().isConnected(), printers());
}

void PrinterStatusController::refresh()
{
    auto refresh = [](QPointer<PrintKitAdapter> adapter) -> QCoro::Task<> {
        if (adapter)
            co_await adapter->refreshPrinters();
    };
    startDetached(refresh(&m_appState.printAdapter()), lcPrintKit(), "Printer refresh");
}

std::optional<QString> PrinterStatusController::printerFilledElsewhere(LabelKind kind) const
{
    // Only a choice this screen never had: a printer the seller cleared here stays cleared.
    if (m_model.state(kind).selectedPrinter || m_saved.at(size_t(kind)).selectedPrinter)
        return std::nullopt;
    return LabelSectionState::load(int(kind), *m_stores.settings).selectedPrinter;
}

void PrinterStatusController::followStoredPrinters()
{
    for (LabelKind kind : {LabelKind::winner, LabelKind::box, LabelKind::packingSlip}) {
        if (const std::optional<QString> printer = printerFilledElsewhere(kind)) {
            m_saved.at(size_t(kind)).selectedPrinter = printer;
            m_model.update(kind, [&](LabelSectionState &s) { s.selectedPrinter = printer; });
        }
    }
}

void PrinterStatusController::save(LabelKind kind)
{
    // The printing flag is not stored: a print starting or ending writes nothing.
    LabelSectionState &saved = m_saved.at(size_t(kind));
    if (sameStored(m_model.state(kind), saved))
        return;
    LabelSectionState next = m_model.state(kind);
    // The live show may have filled in a printer since this screen loaded its copy:
    // another change here keeps it rather than saving "no printer" over it.
    const std::optional<QString> filled = printerFilledElsewhere(kind);
    if (filled)
        next.selectedPrinter = filled;
    saved = next;
    // The settings stay on screen whatever the disk says; a refusal is shown until a save succeeds.
    saveFinished(saved.save(int(kind), *m_stores.settings));
    if (filled)
        m_model.update(kind, [&](LabelSectionState &s) { s.selectedPrinter = filled; });
}

void PrinterStatusController::saveFinished(const std::optional<QString> &failure)
{
    const std::optional<QString> shown =
        failure ? std::optional<QString>(tr("Label settings not saved: %1").arg(*failure)) : std::nullopt;
    if (shown == m_saveFailure)
        return;
    m_saveFailure = shown;
    Q_EMIT saveFailureChanged(m_saveFailure);
}

void PrinterStatusController::screenShown()
{
    const QList<PrinterInfo> &listed = printers();
    if (listed.isEmpty())
        return;
    const QString picked = listed.first().name;
    for (LabelKind kind : {LabelKind::winner, LabelKind::box, LabelKind::packingSlip}) {
        if (isListed(m_model.state(kind).selectedPrinter, listed))
            continue;
        // Shared box labels go where winner labels go, so a vanished printer never
        // splits the card into two.
        const QString name = kind == LabelKind::box && !m_model.useSeparateBoxPrinter()
                                 ? m_model.winner().selectedPrinter.value_or(picked)
                                 : picked;
        m_model.update(kind, [&](LabelSectionState &s) { s.selectedPrinter = name; });
    }
}

void PrinterStatusController::syncStyle()
{
    const LabelVariant style = m_stores.appearance->style();
    for (LabelKind kind : {LabelKind::winner, LabelKind::box, LabelKind::packingSlip})
        m_model.update(kind, [&](LabelSectionState &s) { s.selectedStyle = style; });
}

bool PrinterStatusController::isStaff() const
{
    return isAdmin(m_appState.authManager().state());
}

void PrinterStatusController::toggleAdmin()
{
    if (!m_showAdmin && !isStaff())
        return;
    m_showAdmin = !m_showAdmin;
    Q_EMIT showAdminChanged(m_showAdmin);
}

void PrinterStatusController::authChanged()
{
    if (m_showAdmin && !isStaff()) {
        m_showAdmin = false;
        Q_EMIT showAdminChanged(false);
    }
    Q_EMIT changed();
}

InShowLabelActions PrinterStatusController::inShowActions()
{
    const LabelSectionActions shared = packingSlipActions();
    return {shared.printer, shared.calibrates, shared.onPreview};
}

LabelSectionActions PrinterStatusController::packingSlipActions()
{
    QPointer<LabelTestActions> actions = m_testActions;
    QPointer<PrinterStatusController> self = this;
    LabelSectionActions out;
    out.printer = m_testActions;
    out.calibrates = true;
    out.viewGenerator = [actions](LabelVariant style, LabelMedia media, Orientation orientation,
                                  double scale) {
        return actions ? actions->packingSlipPages(style, media, orientation, scale) : QList<AnyLabelView>{};
    };
    out.onPreview = [self](PageBuilder builder, LabelMedia media, Orientation orientation,
                           LabelTestPrintReader print) {
        if (self)
            self->openPreview(std::move(builder), std::move(media), orientation, std::move(print));
    };
    return out;
}

QList<LabelMedia> PrinterStatusController::packingSlipMedia()
{
    return {LabelMedia::letter(), LabelMedia::shipping4x6()};
}

void PrinterStatusController::openPreview(PageBuilder builder, LabelMedia media, Orientation orientation,
                                          LabelTestPrintReader print)
{
    m_previewPageBuilder = std::move(builder);
    m_previewMedia = std::move(media);
    m_previewOrientation = orientation;
    m_previewPrintAction = std::move(print);
    Q_EMIT previewChanged();
}

void PrinterStatusController::closePreview()
{
    m_previewPageBuilder = nullptr;
    m_previewPrintAction = nullptr;
    Q_EMIT previewChanged();
}

void PrinterStatusController::previewDismissed()
{
    if (!m_previewPageBuilder)
        return;
    m_previewPageBuilder = nullptr;
    Q_EMIT previewChanged();
}

} // namespace quill
