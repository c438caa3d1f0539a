#pragma once

#include "ui/designer/image_properties_view.h"

#include <QScrollArea>
#include <optional>
#include <utility>

namespace quill {

class LabelDesignerState;

// The designer's right column: the selected element's editor and its common properties,
// or the template's form when nothing (or an id no element has) is selected. The form is
// built again only when the selection or its kind changes; edits refresh it in place.
class PropertiesPanel final : public QScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PropertiesPanel)

public:
    static constexpr int kWidth = 240;

    explicit PropertiesPanel(LabelDesignerState &state, ImageFilePicker pickImageFile = {},
                             QWidget *parent = nullptr);

    // The form shown now: a TemplatePropertiesView, or a widget holding the kind's
    // editor and a CommonPropertiesView.
    QWidget *form() const { return m_form; }
    template <typename Editor> Editor *editor() const
    {
        return m_form ? m_form->findChild<Editor *>() : nullptr;
    }

private:
    // The element edited (first with the selected id) and its kind; none for the template.
    std::optional<std::pair<QUuid, std::size_t>> formKey() const;
    void showForm();

    LabelDesignerState &m_state;
    ImageFilePicker m_pickImageFile;
    QWidget *m_form = nullptr;
    std::optional<std::pair<QUuid, std::size_t>> m_shownKey;
    bool m_built = false;
};

} // namespace quill
