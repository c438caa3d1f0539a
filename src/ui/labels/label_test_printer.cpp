#include "ui/labels/label_test_printer.h"

#include "common/detached_task.h"
#include "common/error.h"

#include <QCoroTimer>
#include <QLoggingCategory>
#include <chrono>

namespace quill {

namespace {
Q_LOGGING_CATEGORY(lcLabelCards, "app.quillmark.Quillmark.LabelCards")

QCoro::Task<> cardPrint(QPointer<QObject> guard, QPointer<LabelTestPrinter> printer,
                        LabelTestPrintReader read, std::function<void()> finished)
{
    // A started task runs after the click that started it.
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
    try {
        if (const std::optional<LabelTestPrint> label = read ? read() : std::nullopt; label && printer)
            co_await printer->print(*label);
    } catch (const std::exception &error) {
        qCWarning(lcLabelCards, "Label print ended with an error: %s", qUtf8Printable(errorMessage(error)));
    }
    if (guard && finished)
        finished();
}
} // namespace

LabelTestPrint LabelTestPrint::test(LabelKind kind, LabelVariant style, QString printer,
                                    const LabelSectionState &settings)
{
    return {kind, style, std::move(printer), settings.selectedMedia, settings.selectedOrientation};
}

LabelTestPrint LabelTestPrint::calibration(QString printer, LabelMedia media, Orientation orientation)
{
    return {std::nullopt, LabelVariant::bold, std::move(printer), std::move(media), orientation};
}

LabelTestPrintReader CustomMediaSheetPrints::testPrint(QString printer, LabelMedia media,
                                                       Orientation orientation) const
{
    return [model = model, kind = kind, printer = std::move(printer), media = std::move(media), orientation] {
        const LabelVariant style = model ? model->state(kind).selectedStyle : LabelVariant::bold;
        return std::optional<LabelTestPrint>(LabelTestPrint{kind, style, printer, media, orientation});
    };
}

void runCardPrint(QObject *guard, QPointer<LabelTestPrinter> printer, LabelTestPrintReader read,
                  std::function<void()> finished)
{
    startDetached(
        cardPrint(QPointer<QObject>(guard), std::move(printer), std::move(read), std::move(finished)),
        lcLabelCards(), "Label card print");
}

} // namespace quill
