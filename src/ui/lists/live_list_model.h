#pragma once

#include <QAbstractListModel>
#include <QList>
#include <algorithm>

namespace quill {

// The base of the live lists' models. The services hand over whole lists; this tells
// the views only what changed (rows added or removed in one stretch, records changed in
// place), so a new win among thousands of rows costs a few row updates, not a reset.
class LiveListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveListModel)

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_count; }

protected:
    // Replaces `rows` by `next`. Rows are matched by `idOf` from both ends; what lies
    // between the matching ends is removed and inserted.
    template <typename T, typename IdOf> void showRows(QList<T> &rows, const QList<T> &next, IdOf idOf)
    {
        const qsizetype limit = std::min(rows.size(), next.size());
        qsizetype head = 0;
        while (head < limit && idOf(rows[head]) == idOf(next[head]))
            ++head;
        qsizetype tail = 0;
        while (tail < limit - head &&
               idOf(rows[rows.size() - 1 - tail]) == idOf(next[next.size() - 1 - tail]))
            ++tail;

        // Records kept at either end whose contents changed, by their row in `next`.
        QList<qsizetype> changed;
        for (qsizetype row = 0; row < head; ++row)
            if (!(rows[row] == next[row]))
                changed.append(row);
        for (qsizetype k = 1; k <= tail; ++k)
            if (!(rows[rows.size() - k] == next[next.size() - k]))
                changed.append(next.size() - k);

        const qsizetype removed = rows.size() - head - tail;
        const qsizetype inserted = next.size() - head - tail;
        if (removed > 0) {
            beginRemoveRows({}, int(head), int(head + removed - 1));
            rows.remove(head, removed);
            m_count = int(rows.size());
            endRemoveRows();
        }
        if (inserted > 0) {
            beginInsertRows({}, int(head), int(head + inserted - 1));
            rows = next;
            m_count = int(rows.size());
            endInsertRows();
        }
        rows = next;
        m_count = int(rows.size());
        std::sort(changed.begin(), changed.end());
        for (qsizetype i = 0; i < changed.size();) {
            qsizetype last = i;
            while (last + 1 < changed.size() && changed[last + 1] == changed[last] + 1)
                ++last;
            Q_EMIT dataChanged(index(int(changed[i])), index(int(changed[last])));
            i = last + 1;
        }
    }

private:
    int m_count = 0;
};

} // namespace quill
