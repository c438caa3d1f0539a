#include "printing/label_section_state.h"

#include "common/logging.h"
#include "printing/custom_media_store.h"

namespace quill {

namespace {

QString key(int labelType, const char *suffix)
{
    return QStringLiteral("label_") + LabelSectionState::labelTypeWord(labelType) + QLatin1Char('_') +
           QLatin1String(suffix);
}

} // namespace

QString LabelSectionState::labelTypeWord(int labelType)
{
    switch (labelType) {
    case 0:
        return QStringLiteral("individual");
    case 1:
        return QStringLiteral("box");
    default:
        return QStringLiteral("grouped");
    }
}

LabelSectionState LabelSectionState::defaults(int labelType)
{
    LabelSectionState state;
    if (labelType == 0 || labelType == 1) {
        state.selectedMedia = LabelMedia::rect1x2();
        state.selectedOrientation = Orientation::landscape;
    } else {
        state.selectedMedia = LabelMedia::letter();
        state.selectedOrientation = Orientation::portrait;
    }
    return state;
}

LabelSectionState LabelSectionState::load(int labelType, Settings &settings)
{
    LabelSectionState state = defaults(labelType);
    if (const auto style = settings.optionalString(key(labelType, "style"))) {
        if (const auto variant = labelVariantFromRawValue(*style))
            state.selectedStyle = *variant;
    }
    if (const auto mediaId = settings.optionalString(key(labelType, "paperSize"))) {
        if (auto media = LabelMedia::find(*mediaId, CustomMediaStore::storedItems(settings)))
            state.selectedMedia = std::move(*media);
    }
    if (const auto orientation = settings.optionalString(key(labelType, "orientation"))) {
        if (const auto value = orientationFromRawValue(*orientation))
            state.selectedOrientation = *value;
    }
    // An empty name names no queue.
    if (auto printer = settings.optionalString(key(labelType, "printer")); printer && !printer->isEmpty())
        state.selectedPrinter = std::move(*printer);
    return state;
}

std::optional<QString> LabelSectionState::save(int labelType, Settings &settings) const
{
    settings.setString(key(labelType, "style"), rawValue(selectedStyle));
    settings.setString(key(labelType, "paperSize"), selectedMedia.id);
    settings.setString(key(labelType, "orientation"), rawValue(selectedOrientation));
    if (selectedPrinter)
        settings.setString(key(labelType, "printer"), *selectedPrinter);
    else
        settings.remove(key(labelType, "printer"));
    const auto failure = settings.commit();
    if (failure)
        qCCritical(lcPrintService, "Print settings of %s labels not saved: %s",
                   qUtf8Printable(labelTypeWord(labelType)), qUtf8Printable(*failure));
    return failure;
}

void LabelSectionState::fillEmptyPrinterChoices(const QList<QString> &printers, Settings &settings)
{
    if (printers.isEmpty())
        return;
    const auto key = [](int labelType) { return QStringLiteral("label_%1_printer").arg(labelTypeWord(labelType)); };
    const bool separateBox = settings.boolValue(separateBoxPrinterKey());
    for (int labelType : {0, 1, 2}) {
        if (!settings.stringValue(key(labelType)).isEmpty())
            continue;
        const QString winner = settings.stringValue(key(0));
        const QString name = labelType == 1 && !separateBox && !winner.isEmpty() ? winner : printers.first();
        settings.setString(key(labelType), name);
        qCInfo(lcPrintService, "Printer for %s labels chosen: %s", qUtf8Printable(labelTypeWord(labelType)),
               qUtf8Printable(name));
    }
}

} // namespace quill
