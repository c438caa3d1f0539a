#pragma once

#include "designer/label_designer_state.h"

#include <functional>
#include <variant>

namespace quill {

// The property editors' way into the designer state: an element found by id at every
// read and write (the first with the id), so a write never lands on another element
// after the list changed. Each write is one change of the template and no undo step;
// a write whose element is gone, has changed kind, or that would break the template
// limits is dropped.
class ElementBinding final
{
public:
    ElementBinding(LabelDesignerState &state, const QUuid &id) : m_state(state), m_id(id) {}

    LabelDesignerState &state() const { return m_state; }
    const QUuid &id() const { return m_id; }

    // Valid until the template changes; null when no element has the id.
    const LabelElement *element() const;
    template <typename Kind> const Kind *properties() const
    {
        const LabelElement *found = element();
        return found ? std::get_if<Kind>(&found->kind) : nullptr;
    }

    // `edit` returns false to drop the write. True when the template was changed.
    bool write(const std::function<bool(LabelElement &)> &edit) const;
    template <typename Kind> bool writeProperties(const std::function<void(Kind &)> &edit) const
    {
        return write([&edit](LabelElement &element) {
            Kind *kind = std::get_if<Kind>(&element.kind);
            if (!kind)
                return false;
            edit(*kind);
            return true;
        });
    }

private:
    LabelDesignerState &m_state;
    QUuid m_id;
};

// Applies `edit` to a copy of the state's template and stores it as one change, unless
// the result breaks the template limits (label sides, font sizes, a grid finer than the
// smallest spacing). True when the template was changed.
bool writeTemplate(LabelDesignerState &state, const std::function<void(LabelTemplate &)> &edit);

} // namespace quill
