#include "ui/designer/template_list_controller.h"

#include "designer/template_store.h"

#include <algorithm>

namespace quill {

namespace {

const LabelTemplate *findTemplate(const QList<LabelTemplate> &templates, const QUuid &id)
{
    const auto found = std::find_if(templates.begin(), templates.end(),
                                    [&id](const LabelTemplate &entry) { return entry.id == id; });
    return found == templates.end() ? nullptr : &*found;
}

} // namespace

TemplateListController::TemplateListController(TemplateStore &store, SelectCallback onSelect,
                                               const Clock &clock, QObject *parent)
    : QObject(parent), m_store(store), m_onSelect(std::move(onSelect)), m_clock(clock)
{
}

void TemplateListController::setSelectedTemplateId(std::optional<QUuid> id)
{
    if (m_selectedTemplateId == id)
        return;
    m_selectedTemplateId = id;
    Q_EMIT selectedTemplateIdChanged();
    if (!id)
        return;
    // Copied: the window may save (and so change the list) while opening it.
    if (const LabelTemplate *found = findTemplate(m_store.templates(), *id); found && m_onSelect)
        m_onSelect(LabelTemplate(*found));
}

void TemplateListController::addAndOpen(const LabelTemplate &labelTemplate)
{
    m_store.save(labelTemplate);
    // Selecting opens it through the selection rule; when the save failed the list does
    // not hold it, and it is opened all the same so the designer can show the failure.
    const bool listed = findTemplate(m_store.templates(), labelTemplate.id) != nullptr;
    setSelectedTemplateId(labelTemplate.id);
    if (!listed && m_onSelect)
        m_onSelect(labelTemplate);
}

void TemplateListController::createNewTemplate()
{
    LabelTemplate labelTemplate;
    labelTemplate.id = QUuid::createUuid();
    labelTemplate.name = QStringLiteral("Untitled");
    labelTemplate.labelSize = LabelSize{2.25, 1.25};
    labelTemplate.labelShape = LabelShape::rectangle;
    labelTemplate.gridSpacing = 8;
    labelTemplate.createdAt = m_clock.now();
    labelTemplate.updatedAt = labelTemplate.createdAt;
    addAndOpen(labelTemplate);
}

void TemplateListController::duplicateTemplate(const LabelTemplate &labelTemplate)
{
    LabelTemplate copy = labelTemplate;
    copy.id = QUuid::createUuid();
    copy.name = labelTemplate.name + QStringLiteral(" Copy");
    copy.createdAt = m_clock.now();
    copy.updatedAt = copy.createdAt;
    addAndOpen(copy);
}

void TemplateListController::deleteTemplate(const LabelTemplate &labelTemplate)
{
    if (m_selectedTemplateId == labelTemplate.id)
        setSelectedTemplateId(std::nullopt);
    m_store.deleteTemplate(labelTemplate);
}

void TemplateListController::deleteTemplates(const QList<int> &positions)
{
    QList<int> rows = positions;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<LabelTemplate> doomed;
    for (const int row : std::as_const(rows)) {
        if (row >= 0 && row < m_store.templates().size())
            doomed.append(m_store.templates().at(row));
    }
    for (const LabelTemplate &labelTemplate : std::as_const(doomed))
        deleteTemplate(labelTemplate);
}

void TemplateListController::deleteSelectedTemplate()
{
    if (!m_selectedTemplateId)
        return;
    if (const LabelTemplate *found = findTemplate(m_store.templates(), *m_selectedTemplateId))
        deleteTemplate(LabelTemplate(*found));
}

} // namespace quill
