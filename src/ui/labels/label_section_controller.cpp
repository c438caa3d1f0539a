#include "ui/labels/label_section_controller.h"

#include "printing/custom_media_store.h"
#include "printing/label_appearance_store.h"
#include "ui/labels/label_preview_scales.h"

namespace quill {

LabelSectionController::LabelSectionController(LabelSettingsModel &model, LabelKind kind,
                                               QList<LabelMedia> availableMedia, LabelSectionActions actions,
                                               CustomMediaStore &customMedia,
                                               LabelAppearanceStore &appearance, QObject *parent)
    : QObject(parent), m_model(model), m_kind(kind), m_availableMedia(std::move(availableMedia)),
      m_actions(std::move(actions)), m_customMedia(customMedia), m_appearance(&appearance)
{
    // A deleted size falls back to the first medium this card offers.
    m_model.setFallbackMedium(m_kind, m_availableMedia.value(0, LabelMedia::rect1x2()));
    const auto signal = kind == LabelKind::winner ? &LabelSettingsModel::winnerChanged
                        : kind == LabelKind::box  ? &LabelSettingsModel::boxChanged
                                                  : &LabelSettingsModel::packingSlipChanged;
    connect(&m_model, signal, this, &LabelSectionController::changed);
    connect(&appearance, &LabelAppearanceStore::styleChanged, this, &LabelSectionController::changed);
    connect(&appearance, &LabelAppearanceStore::fontChoiceChanged, this, &LabelSectionController::changed);
    connect(&appearance, &LabelAppearanceStore::colorModeChanged, this, &LabelSectionController::changed);
    connect(&appearance, &LabelAppearanceStore::logoImageChanged, this, &LabelSectionController::changed);
}

void LabelSectionController::selectMedium(const LabelMedia &media)
{
    m_model.update(m_kind, [&](LabelSectionState &s) { s.selectedMedia = media; });
}

void LabelSectionController::toggleOrientation()
{
    m_model.update(m_kind, [](LabelSectionState &s) {
        s.selectedOrientation =
            s.selectedOrientation == Orientation::landscape ? Orientation::portrait : Orientation::landscape;
    });
}

void LabelSectionController::setPrinter(const std::optional<QString> &printer)
{
    m_model.update(m_kind, [&](LabelSectionState &s) { s.selectedPrinter = printer; });
}

void LabelSectionController::setPrinting(bool printing)
{
    m_model.update(m_kind, [&](LabelSectionState &s) { s.isPrinting = printing; });
}

void LabelSectionController::startPrint(
    std::function<LabelTestPrint(const QString &, const LabelSectionState &)> label)
{
    const std::optional<QString> printer = state().selectedPrinter;
    if (!printer || !m_actions.printer)
        return;
    setPrinting(true);
    // The busy flag lives in the settings, so it is cleared even when the card is gone.
    QPointer<LabelSettingsModel> model(&m_model);
    runCardPrint(
        &m_model, m_actions.printer,
        [model, kind = m_kind, printer = *printer,
         label = std::move(label)]() -> std::optional<LabelTestPrint> {
            if (!model)
                return std::nullopt;
            return label(printer, model->state(kind));
        },
        [model, kind = m_kind] { model->update(kind, [](LabelSectionState &s) { s.isPrinting = false; }); });
}

void LabelSectionController::testPrint()
{
    startPrint([kind = m_kind](const QString &printer, const LabelSectionState &now) {
        return LabelTestPrint::test(kind, now.selectedStyle, printer, now);
    });
}

void LabelSectionController::calibrate(const LabelMedia &tileMedium)
{
    if (!offersCalibration())
        return;
    startPrint([tileMedium](const QString &printer, const LabelSectionState &now) {
        return LabelTestPrint::calibration(printer, tileMedium, now.selectedOrientation);
    });
}

std::optional<QString> LabelSectionController::addCustomMedium(const LabelMedia &media)
{
    std::optional<QString> failure;
    try {
        failure = m_customMedia.add(media);
    } catch (const InvalidLabelMediaError &error) {
        return error.message();
    }
    // The store keeps a name of blanks as none: select the medium as it is stored.
    const LabelMedia stored = m_customMedia.items().isEmpty() ? media : m_customMedia.items().last();
    selectMedium(stored);
    return failure;
}

std::optional<QString> LabelSectionController::deleteCustomMedium(const LabelMedia &media)
{
    return m_model.deleteCustomMedium(m_customMedia, media);
}

CustomMediaSheetPrints LabelSectionController::sheetPrints() const
{
    return {m_actions.printer, m_actions.calibrates, &m_model, m_kind};
}

double LabelSectionController::thumbnailScale() const
{
    return sectionThumbnailScale(state().selectedMedia, state().selectedOrientation);
}

QList<AnyLabelView> LabelSectionController::thumbnailPages() const
{
    if (!m_actions.viewGenerator || !m_appearance)
        return {};
    const LabelSectionState &s = state();
    const LabelVariant style = m_appearance->style();
    return pagesOrNone(
        [&](double scale) {
            return m_actions.viewGenerator(style, s.selectedMedia, s.selectedOrientation, scale);
        },
        thumbnailScale());
}

void LabelSectionController::openPreview() const
{
    if (!m_actions.onPreview || !m_actions.viewGenerator || !m_appearance)
        return;
    const LabelSectionState &s = state();
    const LabelVariant style = m_appearance->style();
    const LabelMedia media = s.selectedMedia;
    const Orientation orientation = s.selectedOrientation;
    PageBuilder builder = [generator = m_actions.viewGenerator, style, media, orientation](double scale) {
        return generator(style, media, orientation, scale);
    };
    LabelTestPrintReader print;
    if (s.selectedPrinter && m_actions.printer) {
        print = [label = LabelTestPrint::test(m_kind, style, *s.selectedPrinter, s)] {
            return std::optional<LabelTestPrint>(label);
        };
    }
    m_actions.onPreview(std::move(builder), media, orientation, std::move(print));
}

} // namespace quill
