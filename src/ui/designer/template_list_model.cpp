#include "ui/designer/template_list_model.h"

#include "designer/template_store.h"
#include "ui/widgets/style.h"

namespace quill {

TemplateListModel::TemplateListModel(const TemplateStore &store, QObject *parent)
    : QAbstractListModel(parent), m_store(store)
{
    connect(&store, &TemplateStore::templatesChanged, this, &TemplateListModel::storeChanged);
    for (const LabelTemplate &labelTemplate : store.templates())
        m_ids.append(labelTemplate.id);
}

void TemplateListModel::storeChanged()
{
    QList<QUuid> ids;
    ids.reserve(m_store.templates().size());
    for (const LabelTemplate &labelTemplate : m_store.templates())
        ids.append(labelTemplate.id);
    // The designer saves its open template every few seconds: the same rows with new
    // contents only repaint, so the list keeps its scroll position and hovered row.
    if (ids == m_ids) {
        if (!ids.isEmpty())
            Q_EMIT dataChanged(index(0), index(int(ids.size()) - 1));
        return;
    }
    // Rows came, went or moved: a handful of templates, so a reset is cheap, and the
    // view's selection is put back by id afterwards.
    beginResetModel();
    m_ids = std::move(ids);
    endResetModel();
}

int TemplateListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_store.templates().size());
}

QVariant TemplateListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_store.templates().size())
        return {};
    const LabelTemplate &labelTemplate = m_store.templates().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return labelTemplate.name;
    case Qt::ToolTipRole:
        return plainToolTip(labelTemplate.name);
    case IdRole:
        return QVariant::fromValue(labelTemplate.id);
    case SubtitleRole:
        return subtitle(labelTemplate);
    default:
        return {};
    }
}

int TemplateListModel::rowOf(const QUuid &id) const
{
    const QList<LabelTemplate> &templates = m_store.templates();
    for (qsizetype row = 0; row < templates.size(); ++row) {
        if (templates.at(row).id == id)
            return static_cast<int>(row);
    }
    return -1;
}

QString TemplateListModel::elementCountText(qsizetype count)
{
    return count == 1 ? tr("1 element") : tr("%1 elements").arg(count);
}

QString TemplateListModel::subtitle(const LabelTemplate &labelTemplate)
{
    return labelTemplate.labelSize.displayText() + QStringLiteral(" \u00B7 ") +
           elementCountText(labelTemplate.elements.size());
}

} // namespace quill
