#pragma once

#include "printing/label_appearance.h"
#include "ui/widgets/settings_card.h"

class QLabel;
class QToolButton;

namespace quill {

class LabelAppearanceStore;
class PrinterCalibrationStore;
class SegmentedControl;

// The line under the print-mode picker.
QString colorModeDescription(LabelColorMode mode);
// "Vertical Offset: -3mm".
QString offsetLabel(const QString &name, int millimetres);
// One step of an offset stepper: `value + delta` kept within ±limit; at an end of
// the range a step outwards leaves the value alone.
int steppedOffset(int value, int delta, int limit);

// Staff card "Print Mode": the colour mode of every label bitmap, stored at once.
class PrintModeSection final : public SettingsCard
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintModeSection)

public:
    explicit PrintModeSection(LabelAppearanceStore &store, QWidget *parent = nullptr);

    SegmentedControl *picker() const { return m_picker; }
    QString description() const;

private:
    void showMode(LabelColorMode mode);

    LabelAppearanceStore &m_store;
    SegmentedControl *m_picker;
    QLabel *m_description;
};

// A label with the value and a pair of −/+ buttons that step it by one within ±limit.
class OffsetStepper final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OffsetStepper)

public:
    OffsetStepper(QString name, int limit, QWidget *parent = nullptr);

    void setValue(int value);
    int value() const { return m_value; }
    QString text() const;
    QToolButton *decrementButton() const { return m_decrement; }
    QToolButton *incrementButton() const { return m_increment; }

Q_SIGNALS:
    // Only for a step that changes the value.
    void stepped(int value);

private:
    void step(int delta);

    QString m_name;
    int m_limit;
    int m_value = 0;
    QLabel *m_label;
    QToolButton *m_decrement;
    QToolButton *m_increment;
};

// Staff card "Calibration": the printer's vertical (±12) and feed (±30) offsets in
// millimetres, stored at once.
class PrinterCalibrationSection final : public SettingsCard
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrinterCalibrationSection)

public:
    explicit PrinterCalibrationSection(PrinterCalibrationStore &store, QWidget *parent = nullptr);

    OffsetStepper *verticalStepper() const { return m_vertical; }
    OffsetStepper *feedStepper() const { return m_feed; }

private:
    OffsetStepper *m_vertical;
    OffsetStepper *m_feed;
};

} // namespace quill
