#pragma once

#include "ui/designer/element_binding.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace quill {

class VariableListView;

// "QR Code": the content, "Dynamic Variable" with the variable list, and the error correction.
class QRCodePropertiesView final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QRCodePropertiesView)

public:
    QRCodePropertiesView(LabelDesignerState &state, const QUuid &elementId, QWidget *parent = nullptr);

    QLineEdit *contentField() const { return m_content; }
    QCheckBox *variableToggle() const { return m_isVariable; }
    VariableListView *variableList() const { return m_variables; }
    QComboBox *correctionPicker() const { return m_correction; }

private:
    void refresh();

    ElementBinding m_binding;
    QLineEdit *m_content;
    QCheckBox *m_isVariable;
    VariableListView *m_variables;
    QComboBox *m_correction;
};

// Puts `text` in a line edit being edited or not, keeping the cursor where it can stay.
void showText(QLineEdit *field, const QString &text);

} // namespace quill
