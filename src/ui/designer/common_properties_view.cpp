#include "ui/designer/common_properties_view.h"

#include "ui/designer/labeled_field.h"
#include "ui/designer/locale_number_field.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quill {

CommonPropertiesView::CommonPropertiesView(LabelDesignerState &state, const QUuid &elementId, QWidget *parent)
    : QGroupBox(tr("Position && Size"), parent), m_binding(state, elementId),
      m_x(field(
          QStringLiteral("X"), [](const LabelElement &e) { return e.frame.x; },
          [](LabelElement &e, double v) { e.frame.x = v; })),
      m_y(field(
          QStringLiteral("Y"), [](const LabelElement &e) { return e.frame.y; },
          [](LabelElement &e, double v) { e.frame.y = v; })),
      m_width(field(
          QStringLiteral("W"), [](const LabelElement &e) { return e.frame.width; },
          [](LabelElement &e, double v) { e.frame.width = v; }, true)),
      m_height(field(
          QStringLiteral("H"), [](const LabelElement &e) { return e.frame.height; },
          [](LabelElement &e, double v) { e.frame.height = v; }, true)),
      m_rotation(field(
          tr("Rotation"), [](const LabelElement &e) { return e.rotation; },
          [](LabelElement &e, double v) { e.rotation = v; })),
      m_zIndex(field(
          QStringLiteral("Z"), [](const LabelElement &e) { return static_cast<double>(e.zIndex); },
          [](LabelElement &e, double v) { e.zIndex = static_cast<qint64>(v); }, false, true)),
      m_locked(new QCheckBox(tr("Locked"), this))
{
    auto *column = new QVBoxLayout(this);
    auto *position = new QHBoxLayout;
    position->addWidget(new LabeledField(QStringLiteral("X"), m_x, this));
    position->addWidget(new LabeledField(QStringLiteral("Y"), m_y, this));
    column->addLayout(position);
    auto *size = new QHBoxLayout;
    size->addWidget(new LabeledField(QStringLiteral("W"), m_width, this));
    size->addWidget(new LabeledField(QStringLiteral("H"), m_height, this));
    column->addLayout(size);
    column->addWidget(new LabeledField(QStringLiteral("Rotation"), m_rotation, this));
    auto *order = new QHBoxLayout;
    order->addWidget(new LabeledField(QStringLiteral("Z-Index"), m_zIndex, this));
    order->addWidget(m_locked);
    column->addLayout(order);

    connect(m_locked, &QCheckBox::toggled, this, [this](bool on) {
        m_binding.write([on](LabelElement &element) {
            element.isLocked = on;
            return true;
        });
    });
    connect(&state, &LabelDesignerState::templateChanged, this, &CommonPropertiesView::refresh);
    refresh();
}

LocaleNumberField *CommonPropertiesView::field(const QString &placeholder,
                                               double (*read)(const LabelElement &),
                                               void (*write)(LabelElement &, double), bool positive,
                                               bool integer)
{
    return new LocaleNumberField(
        placeholder, integer ? LocaleNumberField::Kind::integer : LocaleNumberField::Kind::decimal,
        [this, read] {
            const LabelElement *element = m_binding.element();
            return element ? read(*element) : 0.0;
        },
        [this, write, positive](double value) {
            // A frame without area cannot be drawn, grabbed or printed.
            if (positive && value <= 0)
                return false;
            return m_binding.write([write, value](LabelElement &element) {
                write(element, value);
                return true;
            });
        },
        this);
}

void CommonPropertiesView::refresh()
{
    const LabelElement *element = m_binding.element();
    if (!element)
        return;
    for (LocaleNumberField *number : {m_x, m_y, m_width, m_height, m_rotation, m_zIndex})
        number->refresh();
    const QSignalBlocker blocker(m_locked);
    m_locked->setChecked(element->isLocked);
}

} // namespace quill
