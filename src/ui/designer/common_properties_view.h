#pragma once

#include "ui/designer/element_binding.h"

#include <QGroupBox>

class QCheckBox;

namespace quill {

class LocaleNumberField;

// "Position & Size": the frame, rotation, z-index and lock of any element, typed in
// without snapping and without regard to the lock. Widths and heights must stay above 0.
class CommonPropertiesView final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommonPropertiesView)

public:
    CommonPropertiesView(LabelDesignerState &state, const QUuid &elementId, QWidget *parent = nullptr);

    LocaleNumberField *xField() const { return m_x; }
    LocaleNumberField *yField() const { return m_y; }
    LocaleNumberField *widthField() const { return m_width; }
    LocaleNumberField *heightField() const { return m_height; }
    LocaleNumberField *rotationField() const { return m_rotation; }
    LocaleNumberField *zIndexField() const { return m_zIndex; }
    QCheckBox *lockedToggle() const { return m_locked; }

private:
    LocaleNumberField *field(const QString &placeholder, double (*read)(const LabelElement &),
                             void (*write)(LabelElement &, double), bool positive = false,
                             bool integer = false);
    void refresh();

    ElementBinding m_binding;
    LocaleNumberField *m_x;
    LocaleNumberField *m_y;
    LocaleNumberField *m_width;
    LocaleNumberField *m_height;
    LocaleNumberField *m_rotation;
    LocaleNumberField *m_zIndex;
    QCheckBox *m_locked;
};

} // namespace quill
