#pragma once

#include "ui/labels/label_card_types.h"
#include "ui/labels/label_settings_model.h"

#include <QObject>
#include <QPointer>

namespace quill {

class CustomMediaStore;
class LabelAppearanceStore;
class Settings;

// What the in-show card is handed: the printer of its winner, box and calibration
// labels (none: no prints), whether it offers the calibration label and the preview
// opener (none: thumbnail clicks do nothing).
struct InShowLabelActions
{
    QPointer<LabelTestPrinter> printer;
    bool calibrates = false;
    PreviewOpener onPreview;
};

// The logic of the in-show card: winner and box label settings, shared or separate.
// While shared, whatever the winner block changes is mirrored to the box label, which
// keeps only its own style. Touches no widget.
class ConsolidatedLabelController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConsolidatedLabelController)

public:
    static QString separateKey() { return LabelSectionState::separateBoxPrinterKey(); }
    // "1x2", "2circle" and "4x6": the built-in media offered for in-show labels.
    static QList<LabelMedia> builtInMedia();

    // The thumbnails: the winner label and the box label in the winner block, and the
    // box label of the separate box block.
    enum class Thumbnail
    {
        winner,
        sharedBox,
        separateBox
    };

    ConsolidatedLabelController(LabelSettingsModel &model, InShowLabelActions actions,
                                CustomMediaStore &customMedia, LabelAppearanceStore &appearance,
                                Settings &settings, QObject *parent = nullptr);

    LabelSettingsModel &model() const { return m_model; }
    // The built-in in-show media followed by the seller's own, in the order added.
    QList<LabelMedia> media() const;
    bool isSeparate() const { return m_model.useSeparateBoxPrinter(); }
    bool isPrinting() const { return m_isPrinting; }

    void selectWinnerMedium(const LabelMedia &media);
    void setWinnerOrientation(Orientation orientation);
    void toggleWinnerOrientation();
    void setWinnerPrinter(const std::optional<QString> &printer);
    void selectBoxMedium(const LabelMedia &media);
    void toggleBoxOrientation();
    void setBoxPrinter(const std::optional<QString> &printer);
    void setUseSeparateBoxPrinter(bool separate);

    // Runs each time the card comes on screen: two different printers chosen mean
    // separate settings; shared settings take the winner's medium and orientation.
    void cardShown();

    // Prints take the printer now and everything else when they start.
    void testWinner();
    void testBox();         // in the winner block, on the winner's printer and stock
    void testSeparateBox(); // in the box block
    void calibrate(const LabelMedia &tileMedium);

    std::optional<QString> addCustomMedium(const LabelMedia &media);
    std::optional<QString> deleteCustomMedium(const LabelMedia &media);
    // The sheet's prints: a winner label in the winner style.
    CustomMediaSheetPrints sheetPrints() const;
    bool offersCalibration() const { return m_actions.printer && m_actions.calibrates; }

    LabelMedia thumbnailMedium(Thumbnail thumbnail) const;
    Orientation thumbnailOrientation(Thumbnail thumbnail) const;
    double thumbnailScale(Thumbnail thumbnail) const;
    QList<AnyLabelView> thumbnailPages(Thumbnail thumbnail) const;
    void openPreview(Thumbnail thumbnail) const;

Q_SIGNALS:
    void changed();
    void isPrintingChanged(bool printing);

private:
    void separateChanged(bool separate);
    void setPrinting(bool printing);
    // Starts a print of one label type with the printer read now.
    void startPrint(LabelKind kind, LabelKind styleFrom, LabelKind settingsFrom,
                    const std::optional<QString> &printer);
    PageBuilder pageBuilder(Thumbnail thumbnail) const;

    LabelSettingsModel &m_model;
    InShowLabelActions m_actions;
    CustomMediaStore &m_customMedia;
    QPointer<LabelAppearanceStore> m_appearance;
    Settings &m_settings;
    bool m_isPrinting = false;
};

} // namespace quill
