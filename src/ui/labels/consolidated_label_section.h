#pragma once

#include "printing/printer_info.h"
#include "ui/labels/consolidated_label_controller.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLayout;
class QPushButton;

namespace quill {

class LabelThumbnail;
class MediaStrip;
class OrientationButton;
class PrinterControl;
class Spinner;

// The in-show labels card: winner and box labels on one set of settings ("In-Show
// Labels"), or, with the toggle on, a "Winner Labels" block and a "Box Labels" block.
// Each block has its media strip, orientation, printer and test print; thumbnails
// open the preview.
class ConsolidatedLabelSection final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConsolidatedLabelSection)

public:
    ConsolidatedLabelSection(LabelSettingsModel &model, InShowLabelActions actions,
                             CustomMediaStore &customMedia, LabelAppearanceStore &appearance,
                             Settings &settings, QWidget *parent = nullptr);
    ~ConsolidatedLabelSection() override;

    ConsolidatedLabelController &controller() { return m_controller; }
    void setPrinters(const QList<PrinterInfo> &printers);

    QLabel *titleLabel() const { return m_title; }
    QCheckBox *separateToggle() const { return m_toggle; }
    MediaStrip *winnerStrip() const { return m_winnerStrip; }
    MediaStrip *boxStrip() const { return m_boxStrip; }
    OrientationButton *winnerOrientation() const { return m_winnerOrientation; }
    OrientationButton *boxOrientation() const { return m_boxOrientation; }
    PrinterControl *winnerPrinter() const { return m_winnerPrinter; }
    PrinterControl *boxPrinter() const { return m_boxPrinter; }
    QPushButton *testWinnerButton() const { return m_testWinner; }
    QPushButton *testBoxButton() const { return m_testBox; }
    QPushButton *testSeparateBoxButton() const { return m_testSeparateBox; }
    Spinner *spinner() const { return m_spinner; }
    LabelThumbnail *winnerThumbnail() const { return m_winnerThumbnail; }
    LabelThumbnail *sharedBoxThumbnail() const { return m_sharedBoxThumbnail; }
    LabelThumbnail *separateBoxThumbnail() const { return m_separateBoxThumbnail; }
    QWidget *boxBlock() const { return m_boxBlock; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The winner block: its settings and the winner and box thumbnails.
    QLayout *buildWinnerBlock(QWidget *card);
    // The box block, shown while box labels have their own settings.
    QWidget *buildBoxBlock(QWidget *card);
    void refresh();
    void openSheet();

    ConsolidatedLabelController m_controller;
    QPointer<LabelAppearanceStore> m_appearance;
    QList<PrinterInfo> m_printers;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    MediaStrip *m_winnerStrip;
    OrientationButton *m_winnerOrientation;
    PrinterControl *m_winnerPrinter;
    QPushButton *m_testWinner;
    QPushButton *m_testBox;
    Spinner *m_spinner;
    LabelThumbnail *m_winnerThumbnail;
    LabelThumbnail *m_sharedBoxThumbnail;
    QCheckBox *m_toggle;
    QWidget *m_boxBlock;
    MediaStrip *m_boxStrip;
    OrientationButton *m_boxOrientation;
    PrinterControl *m_boxPrinter;
    QPushButton *m_testSeparateBox;
    LabelThumbnail *m_separateBoxThumbnail;
};

} // namespace quill
