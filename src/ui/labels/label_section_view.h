#pragma once

#include "printing/printer_info.h"
#include "ui/labels/label_section_controller.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace quill {

class LabelThumbnail;
class MediaStrip;
class OrientationButton;
class PrinterControl;
class Spinner;

// A settings card for one label type: the medium strip with the "Custom" tile, the
// orientation, the printer, a test print and a thumbnail that opens the preview.
class LabelSectionView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelSectionView)

public:
    LabelSectionView(const QString &title, const QString &subtitle, LabelSettingsModel &model, LabelKind kind,
                     QList<LabelMedia> availableMedia, LabelSectionActions actions,
                     CustomMediaStore &customMedia, LabelAppearanceStore &appearance,
                     QWidget *parent = nullptr);
    ~LabelSectionView() override;

    LabelSectionController &controller() { return m_controller; }
    void setPrinters(const QList<PrinterInfo> &printers);

    MediaStrip *mediaStrip() const { return m_strip; }
    OrientationButton *orientationButton() const { return m_orientation; }
    PrinterControl *printerControl() const { return m_printer; }
    QPushButton *testPrintButton() const { return m_testPrint; }
    Spinner *spinner() const { return m_spinner; }
    LabelThumbnail *thumbnail() const { return m_thumbnail; }

private:
    void refresh();
    void openSheet();

    LabelSectionController m_controller;
    QPointer<LabelAppearanceStore> m_appearance;
    QList<PrinterInfo> m_printers;
    MediaStrip *m_strip;
    OrientationButton *m_orientation;
    PrinterControl *m_printer;
    QPushButton *m_testPrint;
    Spinner *m_spinner;
    LabelThumbnail *m_thumbnail;
};

} // namespace quill
