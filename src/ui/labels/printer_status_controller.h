#pragma once

#include "printing/printer_info.h"
#include "ui/labels/consolidated_label_controller.h"
#include "ui/labels/label_card_types.h"
#include "ui/labels/label_section_controller.h"
#include "ui/labels/label_settings_model.h"
#include "ui/labels/labels_status.h"

#include <QObject>

namespace quill {

class AppState;
class CustomMediaStore;
class LabelAppearanceStore;
class LabelTestActions;
class PrinterCalibrationStore;
class Settings;

// The stores the Labels screen edits. The application's come from AppState, the
// same objects the print paths read.
struct PrinterStatusStores
{
    Settings *settings;
    CustomMediaStore *customMedia;
    LabelAppearanceStore *appearance;
    PrinterCalibrationStore *calibration;

    static PrinterStatusStores of(AppState &appState);
};

// The Labels screen's state and logic without widgets: the three label types'
// settings (loaded when built, saved on every change), the printer auto-select, the
// appearance style copied into every label type, the preview sheet's contents, the
// test prints and the staff panel.
class PrinterStatusController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrinterStatusController)

public:
    PrinterStatusController(AppState &appState, PrinterStatusStores stores, QObject *parent = nullptr);
    ~PrinterStatusController() override;

    AppState &appState() const { return m_appState; }
    const PrinterStatusStores &stores() const { return m_stores; }
    LabelSettingsModel &model() { return m_model; }
    const LabelSettingsModel &model() const { return m_model; }
    LabelTestActions &testActions() const { return *m_testActions; }
    // Why the last change made here (a size, an orientation, a style, a custom size) did
    // not reach the settings file; nothing once a later save did.
    const std::optional<QString> &saveFailure() const { return m_saveFailure; }

    const QList<PrinterInfo> &printers() const;
    bool hasPrinters() const { return !printers().isEmpty(); }
    LabelsStatus status() const;
    QString countText() const { return printerCountText(printers().size()); }
    // Starts a refresh of the adapter's list.
    void refresh();

    // Runs each time the screen comes on screen: every label type without a listed
    // printer gets the default queue (the adapter lists it first); while box labels
    // share the winner settings, the box label gets the winner's printer.
    void screenShown();

    // The signed-in account is staff; the wrench and the logo follow it.
    bool isStaff() const;
    // The print-mode and calibration cards are open; only ever for staff.
    bool showAdmin() const { return m_showAdmin; }
    void toggleAdmin();

    // What the cards are handed.
    InShowLabelActions inShowActions();
    LabelSectionActions packingSlipActions();
    // "letter" and then "4x6": the media offered for packing slips.
    static QList<LabelMedia> packingSlipMedia();

    // The preview sheet is open while a page builder is present.
    bool isPreviewOpen() const { return bool(m_previewPageBuilder); }
    const PageBuilder &previewPageBuilder() const { return m_previewPageBuilder; }
    const LabelMedia &previewMedia() const { return m_previewMedia; }
    Orientation previewOrientation() const { return m_previewOrientation; }
    const LabelTestPrintReader &previewPrintAction() const { return m_previewPrintAction; }
    void openPreview(PageBuilder builder, LabelMedia media, Orientation orientation,
                     LabelTestPrintReader print);
    // "Close": clears the builder and then the print action.
    void closePreview();
    // The sheet went away by itself (Escape): only the builder is cleared.
    void previewDismissed();

Q_SIGNALS:
    // The printer list, the connection or the staff test changed.
    void changed();
    void showAdminChanged(bool showAdmin);
    void previewChanged();
    void saveFailureChanged(const std::optional<QString> &failure);

private:
    void save(LabelKind kind);
    // The stored printer of a label type this screen holds none for: one the live show
    // filled in after the screen loaded its settings.
    std::optional<QString> printerFilledElsewhere(LabelKind kind) const;
    void followStoredPrinters();
    void syncStyle();
    void authChanged();
    // Every save writes the whole settings file, so the last outcome is what stands.
    void saveFinished(const std::optional<QString> &failure);

    AppState &m_appState;
    PrinterStatusStores m_stores;
    LabelSettingsModel m_model;
    std::array<LabelSectionState, 3> m_saved;
    LabelTestActions *m_testActions;
    bool m_showAdmin = false;
    std::optional<QString> m_saveFailure;
    PageBuilder m_previewPageBuilder;
    LabelMedia m_previewMedia;
    Orientation m_previewOrientation = Orientation::landscape;
    LabelTestPrintReader m_previewPrintAction;
};

} // namespace quill
