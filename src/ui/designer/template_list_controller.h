#pragma once

#include "common/clock.h"
#include "designer/label_template.h"

#include <QObject>
#include <functional>
#include <optional>

namespace quill {

class TemplateStore;

// The template list's logic: the selected template by id, and creating, duplicating and
// deleting templates straight through the store. Opening a template is the window's
// business, told through `onSelect`.
class TemplateListController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateListController)

public:
    using SelectCallback = std::function<void(const LabelTemplate &)>;

    TemplateListController(TemplateStore &store, SelectCallback onSelect,
                           const Clock &clock = SystemClock::instance(), QObject *parent = nullptr);

    TemplateStore &store() const { return m_store; }

    std::optional<QUuid> selectedTemplateId() const { return m_selectedTemplateId; }
    // A change to an id opens the first template with it; none, or an unknown id, opens nothing.
    void setSelectedTemplateId(std::optional<QUuid> id);

    void createNewTemplate();
    void duplicateTemplate(const LabelTemplate &labelTemplate);
    void deleteTemplate(const LabelTemplate &labelTemplate);
    // The templates at these rows as they stand now, deleted in ascending order.
    void deleteTemplates(const QList<int> &positions);
    void deleteSelectedTemplate();

Q_SIGNALS:
    void selectedTemplateIdChanged();

private:
    // Saves a template new to the list, selects it and opens it once.
    void addAndOpen(const LabelTemplate &labelTemplate);

    TemplateStore &m_store;
    SelectCallback m_onSelect;
    const Clock &m_clock;
    std::optional<QUuid> m_selectedTemplateId;
};

} // namespace quill
