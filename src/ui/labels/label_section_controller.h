#pragma once

#include "ui/labels/label_card_types.h"
#include "ui/labels/label_settings_model.h"

#include <QObject>
#include <QPointer>

namespace quill {

class CustomMediaStore;
class LabelAppearanceStore;

// What a label section is handed: the printer of its test and calibration labels
// (none: no prints), whether it offers the calibration label (a menu entry), how it
// draws its pages (none: no thumbnail) and how it opens the preview (none: a
// thumbnail click does nothing).
struct LabelSectionActions
{
    QPointer<LabelTestPrinter> printer;
    bool calibrates = false;
    PageGenerator viewGenerator;
    PreviewOpener onPreview;
};

// The logic of a label section card for one label type: medium, orientation and
// printer of its settings, test and calibration prints, the seller's own sizes and
// the thumbnail. Touches no widget.
class LabelSectionController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelSectionController)

public:
    LabelSectionController(LabelSettingsModel &model, LabelKind kind, QList<LabelMedia> availableMedia,
                           LabelSectionActions actions, CustomMediaStore &customMedia,
                           LabelAppearanceStore &appearance, QObject *parent = nullptr);

    const LabelSectionState &state() const { return m_model.state(m_kind); }
    const QList<LabelMedia> &availableMedia() const { return m_availableMedia; }
    bool offersCalibration() const { return m_actions.printer && m_actions.calibrates; }
    bool hasThumbnail() const { return bool(m_actions.viewGenerator); }
    bool canPrint() const { return state().selectedPrinter.has_value(); }

    void selectMedium(const LabelMedia &media);
    void toggleOrientation();
    void setPrinter(const std::optional<QString> &printer);

    // The printer is taken now; style, medium and orientation when the print starts.
    void testPrint();
    void calibrate(const LabelMedia &tileMedium);

    // Returns why the seller's sizes could not be saved, if they could not.
    std::optional<QString> addCustomMedium(const LabelMedia &media);
    std::optional<QString> deleteCustomMedium(const LabelMedia &media);

    // The sheet's prints: the section's kind and style with the sheet's printer, medium
    // and orientation.
    CustomMediaSheetPrints sheetPrints() const;

    double thumbnailScale() const;
    QList<AnyLabelView> thumbnailPages() const;
    // Hands the preview the thumbnail's pages, medium and orientation, with a print of
    // the same label when a printer is chosen now.
    void openPreview() const;

Q_SIGNALS:
    void changed();

private:
    void setPrinting(bool printing);
    // Starts a print on the printer chosen now; `label` makes it from the settings
    // when it starts.
    void startPrint(std::function<LabelTestPrint(const QString &, const LabelSectionState &)> label);

    LabelSettingsModel &m_model;
    LabelKind m_kind;
    QList<LabelMedia> m_availableMedia;
    LabelSectionActions m_actions;
    CustomMediaStore &m_customMedia;
    QPointer<LabelAppearanceStore> m_appearance;
};

} // namespace quill
