#include "ui/designer/element_toolbar_controller.h"

#include "designer/label_designer_state.h"

namespace quill {

ElementToolbarController::ElementToolbarController(LabelDesignerState &state, QObject *parent)
    : QObject(parent), m_state(state), m_hasSelection(state.selectedElement().has_value())
{
    connect(&state, &LabelDesignerState::selectedElementIdChanged, this, &ElementToolbarController::update);
    // Undo or a delete elsewhere can remove the selected element.
    connect(&state, &LabelDesignerState::templateChanged, this, &ElementToolbarController::update);
}

bool ElementToolbarController::hasSelection() const
{
    return m_hasSelection;
}

void ElementToolbarController::addText()
{
    m_state.addTextElement();
}

void ElementToolbarController::addImage()
{
    m_state.addImageElement();
}

void ElementToolbarController::addQRCode()
{
    m_state.addQRCodeElement();
}

void ElementToolbarController::duplicateSelected()
{
    if (m_state.selectedElement())
        m_state.duplicateSelected();
}

void ElementToolbarController::deleteSelected()
{
    if (const std::optional<LabelElement> selected = m_state.selectedElement())
        m_state.deleteElement(selected->id);
}

void ElementToolbarController::update()
{
    const bool selected = m_state.selectedElement().has_value();
    if (selected == m_hasSelection)
        return;
    m_hasSelection = selected;
    Q_EMIT hasSelectionChanged(selected);
}

} // namespace quill
