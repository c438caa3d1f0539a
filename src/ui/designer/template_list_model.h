#pragma once

#include <QAbstractListModel>
#include <QUuid>

namespace quill {

class TemplateStore;
struct LabelTemplate;

// The store's templates, in its order, as rows of the template list.
class TemplateListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateListModel)

public:
    enum Role
    {
        IdRole = Qt::UserRole + 1, // QUuid
        SubtitleRole,              // 2.25" x 1.25" · 3 elements
    };

    explicit TemplateListModel(const TemplateStore &store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // The row of the first template with `id`, or -1.
    int rowOf(const QUuid &id) const;

    static QString elementCountText(qsizetype count);
    static QString subtitle(const LabelTemplate &labelTemplate);

private:
    void storeChanged();

    const TemplateStore &m_store;
    // The ids the rows stood for at the last change.
    QList<QUuid> m_ids;
};

} // namespace quill
