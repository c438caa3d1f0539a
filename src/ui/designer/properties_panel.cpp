#include "ui/designer/properties_panel.h"

#include "designer/label_designer_state.h"
#include "ui/designer/common_properties_view.h"
#include "ui/designer/qr_code_properties_view.h"
#include "ui/designer/template_properties_view.h"
#include "ui/designer/text_properties_view.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"

#include <QVBoxLayout>

namespace quill {

PropertiesPanel::PropertiesPanel(LabelDesignerState &state, ImageFilePicker pickImageFile, QWidget *parent)
    : QScrollArea(parent), m_state(state), m_pickImageFile(std::move(pickImageFile))
{
    setFixedWidth(kWidth);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // On the bar fill, as the toolbars above the canvas.
    fillBackground(viewport(), cardBackgroundColor());
    connect(&m_state, &LabelDesignerState::selectedElementIdChanged, this, &PropertiesPanel::showForm);
    connect(&m_state, &LabelDesignerState::templateChanged, this, &PropertiesPanel::showForm);
    showForm();
}

std::optional<std::pair<QUuid, std::size_t>> PropertiesPanel::formKey() const
{
    const std::optional<QUuid> selected = m_state.selectedElementId();
    if (!selected)
        return std::nullopt;
    for (const LabelElement &element : m_state.labelTemplate().elements)
        if (element.id == *selected)
            return std::make_pair(element.id, element.kind.index());
    return std::nullopt;
}

void PropertiesPanel::showForm()
{
    const auto key = formKey();
    if (m_built && key == m_shownKey)
        return;
    m_built = true;
    m_shownKey = key;

    auto *form = new QWidget;
    auto *column = new QVBoxLayout(form);
    column->setContentsMargins(metrics::insets(metrics::small));
    column->setSpacing(0);
    if (!key) {
        column->addWidget(new TemplatePropertiesView(m_state, form));
    } else {
        const QUuid &id = key->first;
        const LabelElement *element = nullptr;
        for (const LabelElement &candidate : m_state.labelTemplate().elements)
            if (candidate.id == id) {
                element = &candidate;
                break;
            }
        if (std::holds_alternative<TextProperties>(element->kind))
            column->addWidget(new TextPropertiesView(m_state, id, form));
        else if (std::holds_alternative<ImageProperties>(element->kind))
            column->addWidget(new ImagePropertiesView(m_state, id, m_pickImageFile, form));
        else
            column->addWidget(new QRCodePropertiesView(m_state, id, form));
        column->addSpacing(metrics::small);
        column->addWidget(new CommonPropertiesView(m_state, id, form));
    }
    column->addStretch(1);
    // The old form may be mid-signal (its own edit changed the kind); it goes later.
    if (QWidget *old = takeWidget())
        old->deleteLater();
    m_form = form;
    setWidget(form);
    form->setAutoFillBackground(false);
}

} // namespace quill
