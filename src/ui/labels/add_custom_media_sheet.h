#pragma once

#include "ui/labels/add_custom_media_controller.h"
#include "ui/labels/label_card_types.h"

#include <QDialog>
#include <QPointer>
#include <optional>

class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;

namespace quill {

class LabelAppearanceStore;
class LabelPageView;
class OrientationButton;
class SegmentedControl;

// The "New Custom Size" sheet: the seller types a rectangle or a circle, sees a
// sample label on it, may print a calibration or test label on it, and adds it.
// The sheet stores nothing: "Add Label Size" hands the new medium to `onSave`.
class AddCustomMediaSheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddCustomMediaSheet)

public:
    static constexpr int kPreviewChangeMs = 300;

    // Without a selected printer queue or a printer in `prints` there is no Calibrate
    // and no Test Print; Calibrate only where `prints` offers calibration.
    AddCustomMediaSheet(std::optional<QString> selectedPrinter, CustomMediaSheetPrints prints,
                        std::function<void(const LabelMedia &)> onSave, LabelAppearanceStore &appearance,
                        QWidget *parent = nullptr);
    ~AddCustomMediaSheet() override;

    AddCustomMediaController &controller() { return m_controller; }

    SegmentedControl *shapePicker() const { return m_shape; }
    SegmentedControl *unitPicker() const { return m_unit; }
    QLineEdit *widthField() const { return m_widthField; }
    QLineEdit *heightField() const { return m_heightField; }
    QLineEdit *diameterField() const { return m_diameterField; }
    QLineEdit *nameField() const { return m_nameField; }
    QPushButton *calibrateButton() const { return m_calibrate; }
    QPushButton *testPrintButton() const { return m_testPrint; }
    QPushButton *addButton() const { return m_add; }
    LabelPageView *previewPage() const { return m_preview; }
    QWidget *placeholder() const { return m_placeholder; }
    QLabel *displayNameLabel() const { return m_displayName; }

private:
    // The parts of the sheet, built once by the constructor, then bound to the controller.
    QLayout *buildHeader();
    QWidget *buildForm();
    QWidget *buildPreview();
    QLayout *buildFooter();
    void bind(LabelAppearanceStore &appearance);
    QWidget *numberField(const QString &label, QLineEdit *&field, QLabel *&unit, QWidget *parent);
    void showValues();
    void refresh();
    // `calibration`: the calibration label, else the test label.
    void startPrint(bool calibration);

    AddCustomMediaController m_controller;
    std::optional<QString> m_printer;
    CustomMediaSheetPrints m_prints;
    std::function<void(const LabelMedia &)> m_onSave;
    QPointer<LabelAppearanceStore> m_appearance;

    SegmentedControl *m_shape = nullptr;
    SegmentedControl *m_unit = nullptr;
    QWidget *m_rectangleFields = nullptr;
    QWidget *m_circleFields = nullptr;
    QLineEdit *m_widthField = nullptr;
    QLineEdit *m_heightField = nullptr;
    QLineEdit *m_diameterField = nullptr;
    QList<QLabel *> m_unitLabels;
    QWidget *m_orientationSection = nullptr;
    OrientationButton *m_orientation = nullptr;
    QLineEdit *m_nameField = nullptr;
    SegmentedControl *m_previewType = nullptr;
    LabelPageView *m_preview = nullptr;
    std::optional<int> m_shownPreviewType;
    QWidget *m_placeholder = nullptr;
    QLabel *m_displayName = nullptr;
    QPushButton *m_calibrate = nullptr;
    QPushButton *m_testPrint = nullptr;
    QPushButton *m_add = nullptr;
};

// Opens the sheet over `parent`; a medium it saves goes to `add`, whose failure text
// the seller is shown.
void openCustomMediaSheet(QWidget *parent, std::optional<QString> selectedPrinter,
                          CustomMediaSheetPrints prints,
                          std::function<std::optional<QString>(const LabelMedia &)> add,
                          LabelAppearanceStore &appearance);

} // namespace quill
