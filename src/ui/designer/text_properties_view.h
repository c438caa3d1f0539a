#pragma once

#include "ui/designer/element_binding.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace quill {

class LocaleNumberField;
class SegmentedControl;
class VariableListView;

// "Text": content, "Dynamic Variable" with the variable list, font, size, weight, colour
// and alignment of a text element.
class TextPropertiesView final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextPropertiesView)

public:
    TextPropertiesView(LabelDesignerState &state, const QUuid &elementId, QWidget *parent = nullptr);

    // "#RRGGBB" of a picked colour in device RGB, each component × 255 truncated; none
    // when the colour does not convert.
    static std::optional<QString> hexFromPickedColor(const QColor &color);
    // What the colour picker shows for a stored text: black when it does not read.
    static QColor shownColor(const QString &stored);

    QPlainTextEdit *contentEditor() const { return m_content; }
    QCheckBox *variableToggle() const { return m_isVariable; }
    VariableListView *variableList() const { return m_variables; }
    QComboBox *fontPicker() const { return m_font; }
    LocaleNumberField *sizeField() const { return m_size; }
    QComboBox *weightPicker() const { return m_weight; }
    QPushButton *colorButton() const { return m_color; }
    SegmentedControl *alignmentPicker() const { return m_alignment; }

    // What the colour panel hands back; an invalid colour writes nothing.
    void applyPickedColor(const QColor &color);

private:
    void layOutEditors();
    void connectEditors();
    void refresh();
    void pickColor();

    ElementBinding m_binding;
    QPlainTextEdit *m_content;
    QCheckBox *m_isVariable;
    VariableListView *m_variables;
    QComboBox *m_font;
    LocaleNumberField *m_size;
    QComboBox *m_weight;
    QPushButton *m_color;
    SegmentedControl *m_alignment;
    bool m_refreshing = false;
};

} // namespace quill
