#include "ui/designer/template_properties_view.h"

#include "designer/label_designer_state.h"
#include "ui/designer/element_binding.h"
#include "ui/designer/labeled_field.h"
#include "ui/designer/locale_number_field.h"
#include "ui/designer/qr_code_properties_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/symbols.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace quill {

namespace {

QString shapeLabel(LabelShape shape)
{
    switch (shape) {
    case LabelShape::rectangle:
        return QObject::tr("Rectangle");
    case LabelShape::roundedRectangle:
        return QObject::tr("Rounded Rect");
    case LabelShape::circle:
        return QObject::tr("Circle");
    case LabelShape::oval:
        return QObject::tr("Oval");
    case LabelShape::square:
        return QObject::tr("Square");
    }
    return {};
}

QGroupBox *section(const QString &title, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    new QVBoxLayout(box);
    return box;
}

} // namespace

const QList<LabelSizePreset> &TemplatePropertiesView::sizePresets()
{
    static const QList<LabelSizePreset> presets{
        {QStringLiteral("2.25\" x 1.25\""), LabelSize{2.25, 1.25}},
        {QStringLiteral("4\" x 6\""), LabelSize{4, 6}},
    };
    return presets;
}

TemplatePropertiesView::TemplatePropertiesView(LabelDesignerState &state, QWidget *parent)
    : QWidget(parent), m_state(state), m_name(new QLineEdit(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);

    QGroupBox *templateSection = section(tr("Template"), this);
    m_name->setPlaceholderText(tr("Template name"));
    templateSection->layout()->addWidget(new LabeledField(QStringLiteral("Name"), m_name, templateSection));
    column->addWidget(templateSection);

    column->addWidget(buildSizeSection());

    QGroupBox *shapeSection = section(tr("Shape"), this);
    m_shape = new QComboBox(shapeSection);
    for (const LabelShape shape : allLabelShapes())
        m_shape->addItem(shapeLabel(shape), static_cast<int>(shape));
    shapeSection->layout()->addWidget(new LabeledField(tr("Shape"), m_shape, shapeSection));
    column->addWidget(shapeSection);

    QGroupBox *gridSection = section(tr("Grid"), this);
    m_gridSpacing = new LocaleNumberField(
        tr("Grid"), LocaleNumberField::Kind::decimal, [this] { return m_state.labelTemplate().gridSpacing; },
        [this](double value) {
            return writeTemplate(m_state, [value](LabelTemplate &t) { t.gridSpacing = value; });
        },
        gridSection);
    gridSection->layout()->addWidget(
        new LabeledField(QStringLiteral("Grid Spacing (pts)"), m_gridSpacing, gridSection));
    column->addWidget(gridSection);
    column->addStretch(1);

    connect(m_name, &QLineEdit::textEdited, this, [this](const QString &text) {
        writeTemplate(m_state, [&text](LabelTemplate &t) { t.name = text; });
    });
    connect(m_shape, &QComboBox::activated, this, [this](int index) {
        const auto shape = static_cast<LabelShape>(m_shape->itemData(index).toInt());
        writeTemplate(m_state, [shape](LabelTemplate &t) { t.labelShape = shape; });
    });
    connect(&m_state, &LabelDesignerState::templateChanged, this, &TemplatePropertiesView::refresh);
    refresh();
}

QGroupBox *TemplatePropertiesView::buildSizeSection()
{
    QGroupBox *sizeSection = section(tr("Label Size"), this);
    for (const LabelSizePreset &preset : sizePresets()) {
        auto *button = new QToolButton(sizeSection);
        button->setObjectName(preset.label);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto *row = new QHBoxLayout(button);
        row->setContentsMargins(metrics::insets(metrics::xxSmall, metrics::xxxSmall));
        row->addWidget(new QLabel(preset.label, button));
        row->addStretch(1);
        auto *check = new QLabel(button);
        check->setPixmap(symbolPixmap(QStringLiteral("checkmark"), 14, palette().color(QPalette::Highlight),
                                      devicePixelRatioF()));
        row->addWidget(check);
        button->setMinimumHeight(row->sizeHint().height());
        const LabelSize size = preset.size;
        connect(button, &QToolButton::clicked, this,
                [this, size] { writeTemplate(m_state, [size](LabelTemplate &t) { t.labelSize = size; }); });
        sizeSection->layout()->addWidget(button);
        m_presets.append(button);
        m_checks.append(check);
    }
    const auto side = [this](double LabelSize::*member, const QString &placeholder) {
        return new LocaleNumberField(
            placeholder, LocaleNumberField::Kind::decimal,
            [this, member] { return m_state.labelTemplate().labelSize.*member; },
            [this, member](double value) {
                return writeTemplate(m_state,
                                     [member, value](LabelTemplate &t) { t.labelSize.*member = value; });
            },
            this);
    };
    m_width = side(&LabelSize::widthInches, QStringLiteral("W"));
    m_height = side(&LabelSize::heightInches, QStringLiteral("H"));
    auto *custom = new QVBoxLayout;
    custom->setSpacing(metrics::xxSmall);
    custom->addWidget(makeCaption(tr("Custom Size"), sizeSection));
    auto *sides = new QHBoxLayout;
    sides->addWidget(new LabeledField(QStringLiteral("Width\""), m_width, sizeSection));
    sides->addWidget(new LabeledField(QStringLiteral("Height\""), m_height, sizeSection));
    custom->addLayout(sides);
    static_cast<QVBoxLayout *>(sizeSection->layout())->addLayout(custom);
    return sizeSection;
}

bool TemplatePropertiesView::presetChecked(int index) const
{
    return !m_checks.at(index)->isHidden();
}

void TemplatePropertiesView::refresh()
{
    const LabelTemplate &labelTemplate = m_state.labelTemplate();
    showText(m_name, labelTemplate.name);
    for (qsizetype i = 0; i < m_checks.size(); ++i)
        m_checks.at(i)->setVisible(labelTemplate.labelSize == sizePresets().at(i).size);
    m_width->refresh();
    m_height->refresh();
    m_gridSpacing->refresh();
    m_shape->setCurrentIndex(m_shape->findData(static_cast<int>(labelTemplate.labelShape)));
}

} // namespace quill
