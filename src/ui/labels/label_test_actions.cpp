#include "ui/labels/label_test_actions.h"

#include "app/app_state.h"
#include "backend/auth_manager.h"
#include "backend/zav_api_client.h"
#include "common/detached_task.h"
#include "common/error.h"
#include "common/user_scoped.h"
#include "printing/label_appearance_store.h"
#include "printing/print_service.h"
#include "ui/labels/label_samples.h"

#include <QLoggingCategory>

namespace quill {

namespace {

Q_LOGGING_CATEGORY(lcTestPrint, "app.quillmark.Quillmark.PrinterStatusView")

} // namespace

LabelTestActions::LabelTestActions(PrintService &printService, ZavAPIClient &api, Settings &settings,
                                   QObject *parent)
    : LabelTestPrinter(parent), m_services{&printService, &api, &settings}
{
}

LabelTestActions::LabelTestActions(AppState &appState, QObject *parent)
    : LabelTestActions(appState.printService(), appState.authManager().api(), appState.settings(), parent)
{
}

LabelTestActions::~LabelTestActions() = default;

void LabelTestActions::dismissError()
{
    setPrintError(std::nullopt);
}

void LabelTestActions::setPrintError(std::optional<QString> error)
{
    if (error == m_printError)
        return;
    m_printError = std::move(error);
    Q_EMIT printErrorChanged(m_printError);
}

QCoro::Task<PrintResult> LabelTestActions::print(LabelTestPrint label)
{
    if (!label.kind)
        return printCalibration(std::move(label.printer), std::move(label.media), label.orientation);
    switch (*label.kind) {
    case LabelKind::winner:
        return printWinnerTest(label.style, std::move(label.printer), std::move(label.media),
                               label.orientation);
    case LabelKind::box:
        return printBoxTest(label.style, std::move(label.printer), std::move(label.media), label.orientation);
    case LabelKind::packingSlip:
        break;
    }
    return printPackingSlipTest(label.style, std::move(label.printer), std::move(label.media),
                                label.orientation);
}

QCoro::Task<PrintResult> LabelTestActions::printWinnerTest(LabelVariant style, QString printer, LabelMedia media,
                                                           Orientation orientation)
{
    return finish(m_services.printService->printContent(std::move(printer), LabelSamples::winner(), style,
                                                        std::move(media), orientation),
                  m_services, this, true);
}

QCoro::Task<PrintResult> LabelTestActions::printBoxTest(LabelVariant style, QString printer, LabelMedia media,
                                                        Orientation orientation)
{
    return finish(m_services.printService->printContent(std::move(printer), LabelSamples::box(), style,
                                                        std::move(media), orientation),
                  m_services, this, true);
}

QCoro::Task<PrintResult> LabelTestActions::printPackingSlipTest(LabelVariant style, QString printer,
                                                                LabelMedia media, Orientation orientation)
{
    return finish(m_services.printService->printLabel(std::move(printer), LabelSamples::kBoxBuyer,
                                                      LabelSamples::packingSlipItems(),
                                                      LabelSamples::packingSlipTotal(), LabelSamples::kShowTitle, style,
                                                      std::move(media), orientation),
                  m_services, this, true);
}

QCoro::Task<PrintResult> LabelTestActions::printCalibration(QString printer, LabelMedia media,
                                                            Orientation orientation)
{
    return finish(m_services.printService->printCalibration(std::move(printer), std::move(media), orientation),
                  m_services, this, false);
}

QList<AnyLabelView> LabelTestActions::packingSlipPages(LabelVariant style, const LabelMedia &media,
                                                       Orientation orientation, double scale) const
{
    try {
        return LabelSamples::packingSlip().pages(
            style, media, orientation, m_services.printService->appearanceStore().appearance(), scale);
    } catch (const std::exception &error) {
        qCWarning(lcTestPrint, "Sample packing slip not laid out: %s", qUtf8Printable(errorMessage(error)));
        return {};
    }
}

// Holds no `this`: the screen may be rebuilt while the print runs.
QCoro::Task<PrintResult> LabelTestActions::finish(QCoro::Task<PrintResult> print, Services services,
                                                  QPointer<LabelTestActions> actions, bool marksOnboarding)
{
    const PrintResult result = co_await std::move(print);
    if (actions)
        actions->setPrintError(result.ok ? std::nullopt : std::optional<QString>(result.message));
    if (result.ok && marksOnboarding) {
        UserScoped::setValue(onboardingFlagKey, true, *services.settings);
        startDetached(reportTestPrint(services.api), lcTestPrint(), "The test print's onboarding report");
    }
    co_return result;
}

QCoro::Task<> LabelTestActions::reportTestPrint(QPointer<ZavAPIClient> api)
{
    if (!api)
        co_return;
    try {
        co_await api->completeOnboardingStep(onboardingSlug, onboardingStep);
    } catch (const std::exception &error) {
        // The local flag stands; the backend learns of the step with the next test print.
        qCDebug(lcTestPrint, "Onboarding step not reported: %s", qUtf8Printable(errorMessage(error)));
    }
}

} // namespace quill
