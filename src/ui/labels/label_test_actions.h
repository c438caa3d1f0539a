#pragma once

#include "common/decimal.h"
#include "printing/label_appearance.h"
#include "printing/label_content.h"
#include "printing/label_media.h"
#include "printing/layouts/any_label_view.h"
#include "printing/orientation.h"
#include "printing/print_result.h"
#include "ui/labels/label_test_printer.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

namespace quill {

class AppState;
class PrintService;
class Settings;
class ZavAPIClient;

// What the Labels screen prints by hand: test labels of each kind, the calibration
// label and the sample packing slip's preview pages. The application's
// LabelTestPrinter: settings come in as plain values from the card that asks.
//
// Each print's outcome is its own PrintResult: `printError` shows that one, never
// another print's failure. A successful test print marks the seller's onboarding
// step even when the screen that started it is gone by then; `printError` is only
// written while this object lives.
class LabelTestActions final : public LabelTestPrinter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelTestActions)
    Q_PROPERTY(std::optional<QString> printError READ printError NOTIFY printErrorChanged)

public:
    static inline const QString onboardingFlagKey = QStringLiteral("has_test_printed");
    static inline const QString onboardingSlug = QStringLiteral("quillmark");
    static inline const QString onboardingStep = QStringLiteral("test_print");

    // The services and settings must outlive every print started here (the application's do).
    LabelTestActions(PrintService &printService, ZavAPIClient &api, Settings &settings,
                     QObject *parent = nullptr);
    explicit LabelTestActions(AppState &appState, QObject *parent = nullptr);
    ~LabelTestActions() override;

    const std::optional<QString> &printError() const { return m_printError; }
    void dismissError();

    // The test label of the label's kind, or the calibration label when it has none.
    QCoro::Task<PrintResult> print(LabelTestPrint label) override;

    QCoro::Task<PrintResult> printWinnerTest(LabelVariant style, QString printer, LabelMedia media,
                                             Orientation orientation);
    QCoro::Task<PrintResult> printBoxTest(LabelVariant style, QString printer, LabelMedia media,
                                          Orientation orientation);
    QCoro::Task<PrintResult> printPackingSlipTest(LabelVariant style, QString printer, LabelMedia media,
                                                  Orientation orientation);
    // Marks nothing on success.
    QCoro::Task<PrintResult> printCalibration(QString printer, LabelMedia media, Orientation orientation);

    // The sample packing slip's pages with the current appearance, `scale` times the
    // label's size. Empty when the medium cannot be laid out.
    QList<AnyLabelView> packingSlipPages(LabelVariant style, const LabelMedia &media, Orientation orientation,
                                         double scale) const;

Q_SIGNALS:
    void printErrorChanged(const std::optional<QString> &printError);

private:
    struct Services
    {
        PrintService *printService;
        QPointer<ZavAPIClient> api;
        Settings *settings;
    };
    static QCoro::Task<PrintResult> finish(QCoro::Task<PrintResult> print, Services services,
                                           QPointer<LabelTestActions> actions, bool marksOnboarding);
    static QCoro::Task<> reportTestPrint(QPointer<ZavAPIClient> api);
    void setPrintError(std::optional<QString> error);

    Services m_services;
    std::optional<QString> m_printError;
};

} // namespace quill
