#include "ui/labels/consolidated_label_controller.h"

#include "common/settings.h"
#include "printing/custom_media_store.h"
#include "printing/label_appearance_store.h"
#include "ui/labels/label_preview_scales.h"
#include "ui/labels/label_samples.h"

namespace quill {

namespace {

Orientation flipped(Orientation orientation)
{
    return orientation == Orientation::landscape ? Orientation::portrait : Orientation::landscape;
}

} // namespace

QList<LabelMedia> ConsolidatedLabelController::builtInMedia()
{
    return {LabelMedia::rect1x2(), LabelMedia::circle2(), LabelMedia::shipping4x6()};
}

ConsolidatedLabelController::ConsolidatedLabelController(LabelSettingsModel &model,
                                                         InShowLabelActions actions,
                                                         CustomMediaStore &customMedia,
                                                         LabelAppearanceStore &appearance, Settings &settings,
                                                         QObject *parent)
    : QObject(parent), m_model(model), m_actions(std::move(actions)), m_customMedia(customMedia),
      m_appearance(&appearance), m_settings(settings)
{
    connect(&m_model, &LabelSettingsModel::winnerChanged, this, &ConsolidatedLabelController::changed);
    connect(&m_model, &LabelSettingsModel::boxChanged, this, &ConsolidatedLabelController::changed);
    connect(&m_model, &LabelSettingsModel::useSeparateBoxPrinterChanged, this,
            &ConsolidatedLabelController::separateChanged);
    connect(&m_customMedia, &CustomMediaStore::itemsChanged, this, &ConsolidatedLabelController::changed);
    connect(&appearance, &LabelAppearanceStore::styleChanged, this, &ConsolidatedLabelController::changed);
    connect(&appearance, &LabelAppearanceStore::fontChoiceChanged, this,
            &ConsolidatedLabelController::changed);
    connect(&appearance, &LabelAppearanceStore::colorModeChanged, this,
            &ConsolidatedLabelController::changed);
    connect(&appearance, &LabelAppearanceStore::logoImageChanged, this,
            &ConsolidatedLabelController::changed);
}

QList<LabelMedia> ConsolidatedLabelController::media() const
{
    return builtInMedia() + m_customMedia.items();
}

void ConsolidatedLabelController::selectWinnerMedium(const LabelMedia &media)
{
    m_model.update(LabelKind::winner, [&](LabelSectionState &s) { s.selectedMedia = media; });
    if (!isSeparate())
        m_model.update(LabelKind::box, [&](LabelSectionState &s) { s.selectedMedia = media; });
}

void ConsolidatedLabelController::setWinnerOrientation(Orientation orientation)
{
    m_model.update(LabelKind::winner, [&](LabelSectionState &s) { s.selectedOrientation = orientation; });
    if (!isSeparate())
        m_model.update(LabelKind::box, [&](LabelSectionState &s) { s.selectedOrientation = orientation; });
}

void ConsolidatedLabelController::toggleWinnerOrientation()
{
    setWinnerOrientation(flipped(m_model.winner().selectedOrientation));
}

void ConsolidatedLabelController::setWinnerPrinter(const std::optional<QString> &printer)
{
    m_model.update(LabelKind::winner, [&](LabelSectionState &s) { s.selectedPrinter = printer; });
    if (!isSeparate())
        m_model.update(LabelKind::box, [&](LabelSectionState &s) { s.selectedPrinter = printer; });
}

void ConsolidatedLabelController::selectBoxMedium(const LabelMedia &media)
{
    m_model.update(LabelKind::box, [&](LabelSectionState &s) { s.selectedMedia = media; });
}

void ConsolidatedLabelController::toggleBoxOrientation()
{
    m_model.update(LabelKind::box,
                   [](LabelSectionState &s) { s.selectedOrientation = flipped(s.selectedOrientation); });
}

void ConsolidatedLabelController::setBoxPrinter(const std::optional<QString> &printer)
{
    m_model.update(LabelKind::box, [&](LabelSectionState &s) { s.selectedPrinter = printer; });
}

void ConsolidatedLabelController::setUseSeparateBoxPrinter(bool separate)
{
    m_model.setUseSeparateBoxPrinter(separate);
}

void ConsolidatedLabelController::separateChanged(bool separate)
{
    m_settings.setBool(separateKey(), separate);
    if (!separate) {
        const LabelSectionState winner = m_model.winner();
        m_model.update(LabelKind::box, [&](LabelSectionState &s) {
            s.selectedMedia = winner.selectedMedia;
            s.selectedOrientation = winner.selectedOrientation;
            s.selectedPrinter = winner.selectedPrinter;
        });
    }
    Q_EMIT changed();
}

void ConsolidatedLabelController::cardShown()
{
    const std::optional<QString> &winnerPrinter = m_model.winner().selectedPrinter;
    const std::optional<QString> &boxPrinter = m_model.box().selectedPrinter;
    if (winnerPrinter && boxPrinter && *winnerPrinter != *boxPrinter) {
        m_model.setUseSeparateBoxPrinter(true);
        m_settings.setBool(separateKey(), true);
    }
    if (!isSeparate()) {
        const LabelSectionState winner = m_model.winner();
        m_model.update(LabelKind::box, [&](LabelSectionState &s) {
            s.selectedMedia = winner.selectedMedia;
            s.selectedOrientation = winner.selectedOrientation;
        });
    }
}

void ConsolidatedLabelController::setPrinting(bool printing)
{
    if (m_isPrinting == printing)
        return;
    m_isPrinting = printing;
    Q_EMIT isPrintingChanged(printing);
}

void ConsolidatedLabelController::startPrint(LabelKind kind, LabelKind styleFrom, LabelKind settingsFrom,
                                             const std::optional<QString> &printer)
{
    if (!printer || !m_actions.printer)
        return;
    setPrinting(true);
    runCardPrint(
        this, m_actions.printer,
        [model = QPointer<LabelSettingsModel>(&m_model), kind, styleFrom, settingsFrom,
         printer = *printer]() -> std::optional<LabelTestPrint> {
            if (!model)
                return std::nullopt;
            return LabelTestPrint::test(kind, model->state(styleFrom).selectedStyle, printer,
                                        model->state(settingsFrom));
        },
        [this] { setPrinting(false); });
}

void ConsolidatedLabelController::testWinner()
{
    startPrint(LabelKind::winner, LabelKind::winner, LabelKind::winner, m_model.winner().selectedPrinter);
}

void ConsolidatedLabelController::testBox()
{
    startPrint(LabelKind::box, LabelKind::box, LabelKind::winner, m_model.winner().selectedPrinter);
}

void ConsolidatedLabelController::testSeparateBox()
{
    startPrint(LabelKind::box, LabelKind::box, LabelKind::box, m_model.box().selectedPrinter);
}

void ConsolidatedLabelController::calibrate(const LabelMedia &tileMedium)
{
    const std::optional<QString> printer = m_model.winner().selectedPrinter;
    if (!printer || !offersCalibration())
        return;
    setPrinting(true);
    runCardPrint(
        this, m_actions.printer,
        [model = QPointer<LabelSettingsModel>(&m_model), tileMedium,
         printer = *printer]() -> std::optional<LabelTestPrint> {
            if (!model)
                return std::nullopt;
            return LabelTestPrint::calibration(printer, tileMedium, model->winner().selectedOrientation);
        },
        [this] { setPrinting(false); });
}

std::optional<QString> ConsolidatedLabelController::addCustomMedium(const LabelMedia &media)
{
    std::optional<QString> failure;
    try {
        failure = m_customMedia.add(media);
    } catch (const InvalidLabelMediaError &error) {
        return error.message();
    }
    // The store keeps a name of blanks as none: select the medium as it is stored.
    selectWinnerMedium(m_customMedia.items().isEmpty() ? media : m_customMedia.items().last());
    return failure;
}

std::optional<QString> ConsolidatedLabelController::deleteCustomMedium(const LabelMedia &media)
{
    return m_model.deleteCustomMedium(m_customMedia, media);
}

CustomMediaSheetPrints ConsolidatedLabelController::sheetPrints() const
{
    return {m_actions.printer, m_actions.calibrates, &m_model, LabelKind::winner};
}

LabelMedia ConsolidatedLabelController::thumbnailMedium(Thumbnail thumbnail) const
{
    return thumbnail == Thumbnail::separateBox ? m_model.box().selectedMedia : m_model.winner().selectedMedia;
}

Orientation ConsolidatedLabelController::thumbnailOrientation(Thumbnail thumbnail) const
{
    return thumbnail == Thumbnail::separateBox ? m_model.box().selectedOrientation
                                               : m_model.winner().selectedOrientation;
}

double ConsolidatedLabelController::thumbnailScale(Thumbnail thumbnail) const
{
    return inShowThumbnailScale(thumbnailMedium(thumbnail), thumbnailOrientation(thumbnail));
}

PageBuilder ConsolidatedLabelController::pageBuilder(Thumbnail thumbnail) const
{
    const LabelContent content =
        thumbnail == Thumbnail::winner ? LabelSamples::winner() : LabelSamples::box();
    const LabelVariant style = m_appearance ? m_appearance->style() : LabelVariant::bold;
    return [content, style, media = thumbnailMedium(thumbnail), orientation = thumbnailOrientation(thumbnail),
            appearance = m_appearance](double scale) {
        return content.pages(style, media, orientation,
                             appearance ? appearance->appearance() : LabelAppearance{}, scale);
    };
}

QList<AnyLabelView> ConsolidatedLabelController::thumbnailPages(Thumbnail thumbnail) const
{
    return pagesOrNone(pageBuilder(thumbnail), thumbnailScale(thumbnail));
}

void ConsolidatedLabelController::openPreview(Thumbnail thumbnail) const
{
    if (!m_actions.onPreview)
        return;
    const bool winner = thumbnail == Thumbnail::winner;
    const LabelKind printerFrom = thumbnail == Thumbnail::separateBox ? LabelKind::box : LabelKind::winner;
    const LabelKind settingsFrom = printerFrom;
    const LabelKind kind = winner ? LabelKind::winner : LabelKind::box;
    LabelTestPrintReader print;
    // Without a printer the preview offers no print; with one, the print reads the
    // settings again when it runs.
    if (m_model.state(printerFrom).selectedPrinter && m_actions.printer) {
        print = [model = QPointer<LabelSettingsModel>(&m_model), kind, printerFrom,
                 settingsFrom]() -> std::optional<LabelTestPrint> {
            if (!model || !model->state(printerFrom).selectedPrinter)
                return std::nullopt;
            return LabelTestPrint::test(kind, model->state(kind).selectedStyle,
                                        *model->state(printerFrom).selectedPrinter,
                                        model->state(settingsFrom));
        };
    }
    m_actions.onPreview(pageBuilder(thumbnail), thumbnailMedium(thumbnail), thumbnailOrientation(thumbnail),
                        std::move(print));
}

} // namespace quill
