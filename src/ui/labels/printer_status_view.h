#pragma once

#include "ui/labels/appearance_controller.h"
#include "ui/labels/label_preview_modal.h"
#include "ui/labels/printer_status_controller.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace quill {

class ConsolidatedLabelSection;
class DisclosureGroup;
class EmptyStateView;
class LabelAppearanceSection;
class LabelSectionView;
class PrintErrorRow;
class PrinterHealthController;
class StatusDot;

// The "Labels" screen: a header bar with the printers' status, "Refresh" and, for
// staff, the wrench; under it the staff cards, "Printer Health", the appearance and
// the label cards, or "No Printers"; the last print's failure below. Built afresh on
// every visit, so settings changed elsewhere are read again.
class PrinterStatusView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrinterStatusView)

public:
    // `stores` empty: the shared stores; `chooser` empty: an open-file dialog for the logo.
    explicit PrinterStatusView(AppState &appState, std::optional<PrinterStatusStores> stores = std::nullopt,
                               LogoChooser chooser = {}, QWidget *parent = nullptr);
    ~PrinterStatusView() override;

    PrinterStatusController &controller() { return m_controller; }
    // The staff row's fade in and out.
    static constexpr int kAdminFadeMs = 350;

    QLabel *titleLabel() const { return m_title; }
    QLabel *statusLabel() const { return m_statusText; }
    QLabel *countLabel() const { return m_countText; }
    QPushButton *refreshButton() const { return m_refresh; }
    QToolButton *wrenchButton() const { return m_wrench; }
    QWidget *adminPanel() const { return m_adminRow; }
    DisclosureGroup *healthGroup() const { return m_healthGroup; }
    LabelAppearanceSection *appearanceSection() const { return m_appearance; }
    ConsolidatedLabelSection *inShowSection() const { return m_inShow; }
    LabelSectionView *packingSlipSection() const { return m_packingSlip; }
    QWidget *sections() const { return m_sections; }
    EmptyStateView *emptyState() const { return m_empty; }
    PrintErrorRow *errorRow() const { return m_errorRow; }
    // The open preview sheet, if any.
    LabelPreviewModal *previewModal() const { return m_modal; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildHeader();
    // The staff's print mode and calibration, side by side.
    QWidget *buildAdminRow(const PrinterStatusStores &store);
    QWidget *buildHealthGroup();
    void buildAppearance();
    void comeOnScreen();
    void showPrinters();
    void showAdmin(bool shown);
    void showPreview();
    // Scrolls the error row into view while it is followed.
    void revealErrorRow();

    PrinterStatusController m_controller;
    LogoChooser m_chooser;
    PrinterHealthController *m_health;
    bool m_onScreen = false;

    QLabel *m_title = nullptr;
    StatusDot *m_statusDot = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_countText = nullptr;
    QPushButton *m_refresh = nullptr;
    QToolButton *m_wrench = nullptr;

    QScrollArea *m_scroll = nullptr;
    QWidget *m_sections = nullptr;
    QVBoxLayout *m_sectionsLayout = nullptr;
    QWidget *m_adminRow = nullptr;
    DisclosureGroup *m_healthGroup = nullptr;
    LabelAppearanceSection *m_appearance = nullptr;
    bool m_appearanceIsAdmin = false;
    ConsolidatedLabelSection *m_inShow = nullptr;
    LabelSectionView *m_packingSlip = nullptr;
    EmptyStateView *m_empty = nullptr;
    PrintErrorRow *m_errorRow = nullptr;
    bool m_followErrorRow = false;
    QPointer<LabelPreviewModal> m_modal;
};

} // namespace quill
