#include "ui/designer/element_binding.h"

#include "designer/label_template_json.h"

#include <cmath>

namespace quill {

namespace {

bool withinLimits(const LabelTemplate &labelTemplate)
{
    if (templateLimitViolation(labelTemplate))
        return false;
    if (!std::isfinite(labelTemplate.gridSpacing) ||
        labelTemplate.gridSpacing < templateLimits::minGridSpacing)
        return false;
    for (const LabelElement &element : labelTemplate.elements) {
        const ElementFrame &frame = element.frame;
        for (const double value : {frame.x, frame.y, frame.width, frame.height, element.rotation})
            if (!std::isfinite(value))
                return false;
    }
    return true;
}

bool store(LabelDesignerState &state, const LabelTemplate &edited)
{
    if (!withinLimits(edited))
        return false;
    const LabelSize &size = edited.labelSize;
    if (size != state.labelTemplate().labelSize && (size.widthInches < templateLimits::minLabelSideInches ||
                                                    size.heightInches < templateLimits::minLabelSideInches)) {
        Q_EMIT state.editRefused(
            QObject::tr("A label must be at least %1 inches on each side; no printer feeds a "
                        "smaller one.")
                .arg(templateLimits::minLabelSideInches));
        return false;
    }
    state.setLabelTemplate(edited);
    return true;
}

} // namespace

const LabelElement *ElementBinding::element() const
{
    for (const LabelElement &candidate : m_state.labelTemplate().elements)
        if (candidate.id == m_id)
            return &candidate;
    return nullptr;
}

bool ElementBinding::write(const std::function<bool(LabelElement &)> &edit) const
{
    LabelTemplate edited = m_state.labelTemplate();
    for (LabelElement &candidate : edited.elements) {
        if (candidate.id != m_id)
            continue;
        if (!edit(candidate))
            return false;
        return store(m_state, edited);
    }
    return false;
}

bool writeTemplate(LabelDesignerState &state, const std::function<void(LabelTemplate &)> &edit)
{
    LabelTemplate edited = state.labelTemplate();
    edit(edited);
    return store(state, edited);
}

} // namespace quill
