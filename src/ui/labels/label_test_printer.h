#pragma once

#include "printing/label_appearance.h"
#include "printing/label_media.h"
#include "printing/orientation.h"
#include "printing/print_result.h"
#include "ui/labels/label_settings_model.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

namespace quill {

// One label the Labels screen prints by hand: a test label of a kind, or, without a
// kind, the calibration label.
struct LabelTestPrint
{
    std::optional<LabelKind> kind;
    LabelVariant style = LabelVariant::bold;
    QString printer;
    LabelMedia media;
    Orientation orientation = Orientation::landscape;

    static LabelTestPrint test(LabelKind kind, LabelVariant style, QString printer,
                               const LabelSectionState &settings);
    static LabelTestPrint calibration(QString printer, LabelMedia media, Orientation orientation);
};

// What prints the Labels screen's test and calibration labels: the one way a card,
// the custom size sheet or the preview prints. The screen is given one (the
// application's LabelTestActions, a fake in tests) and hands it on. A print may
// outlive the card that started it, so cards hold the printer by QPointer and print
// nothing once it is gone.
class LabelTestPrinter : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelTestPrinter)

public:
    using QObject::QObject;
    ~LabelTestPrinter() override = default;

    virtual QCoro::Task<PrintResult> print(LabelTestPrint label) = 0;
};

// The label a card prints, read from the settings when the print starts; nothing when
// there is nothing to print by then.
using LabelTestPrintReader = std::function<std::optional<LabelTestPrint>()>;

// What the custom size sheet prints with its own medium and orientation: the
// calibration label (when `calibrates`) and a test label of `kind`, in the style
// `model` holds for that kind when the print starts. No printer: no prints.
struct CustomMediaSheetPrints
{
    QPointer<LabelTestPrinter> printer;
    bool calibrates = false;
    QPointer<LabelSettingsModel> model;
    LabelKind kind = LabelKind::winner;

    // The test label, read when the print starts.
    LabelTestPrintReader testPrint(QString printer, LabelMedia media, Orientation orientation) const;
};

// Runs one print of a card by itself. `read` runs once the click has been handled
// and gives the label to print, read from the settings at that moment (or nothing);
// `finished` runs after the print, also after a failure, but only while `guard`
// exists: a card that is gone is never touched, and its print is not cancelled.
void runCardPrint(QObject *guard, QPointer<LabelTestPrinter> printer, LabelTestPrintReader read,
                  std::function<void()> finished);

} // namespace quill
