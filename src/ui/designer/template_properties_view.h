#pragma once

#include "designer/label_template.h"

#include <QWidget>

class QAbstractButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace quill {

class LabelDesignerState;
class LocaleNumberField;

struct LabelSizePreset
{
    QString label;
    LabelSize size;
};

// The template's own form, shown while no element is selected: name, label size (two
// presets or custom inches), shape and grid spacing. Sizes stay within what a label can
// print, and the grid no finer than the smallest spacing.
class TemplatePropertiesView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplatePropertiesView)

public:
    static const QList<LabelSizePreset> &sizePresets();

    explicit TemplatePropertiesView(LabelDesignerState &state, QWidget *parent = nullptr);

    QLineEdit *nameField() const { return m_name; }
    QAbstractButton *presetButton(int index) const { return m_presets.at(index); }
    // The preset's check mark is shown (the template has exactly that size).
    bool presetChecked(int index) const;
    LocaleNumberField *widthField() const { return m_width; }
    LocaleNumberField *heightField() const { return m_height; }
    QComboBox *shapePicker() const { return m_shape; }
    LocaleNumberField *gridSpacingField() const { return m_gridSpacing; }

private:
    // The presets and the custom width and height of the label.
    QGroupBox *buildSizeSection();
    void refresh();

    LabelDesignerState &m_state;
    QLineEdit *m_name;
    QList<QAbstractButton *> m_presets;
    QList<QLabel *> m_checks;
    LocaleNumberField *m_width;
    LocaleNumberField *m_height;
    QComboBox *m_shape;
    LocaleNumberField *m_gridSpacing;
};

} // namespace quill
