#include "ui/lists/print_log_model.h"

#include "printing/auto_print_manager.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/live_list_texts.h"

#include <QSet>

namespace quill {

namespace {

QStringList idsOf(const QList<PrintJob> &jobs)
{
    QStringList ids;
    ids.reserve(jobs.size());
    for (const PrintJob &job : jobs)
        ids.append(job.id);
    return ids;
}

} // namespace

PrintLogModel::PrintLogModel(const AutoPrintManager &queue, QObject *parent)
    : QAbstractListModel(parent), m_queue(queue)
{
    connect(&queue, &AutoPrintManager::printJobsChanged, this, &PrintLogModel::follow);
    follow();
}

int PrintLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_jobs.size());
}

void PrintLogModel::follow()
{
    const QList<PrintJob> &next = m_queue.printJobs();
    // The usual changes touch one end or one stretch: match the jobs kept at both ends
    // by id and look no further when only new jobs or only gone jobs lie between them.
    const qsizetype limit = std::min(m_jobs.size(), next.size());
    qsizetype head = 0;
    const QList<PrintJob> &shown = m_jobs;
    while (head < limit && shown[head].id == next[head].id)
        ++head;
    qsizetype tail = 0;
    while (tail < limit - head && shown[shown.size() - 1 - tail].id == next[next.size() - 1 - tail].id)
        ++tail;
    const qsizetype gone = m_jobs.size() - head - tail;
    const qsizetype added = next.size() - head - tail;
    if (gone > 0 && added == 0) {
        beginRemoveRows({}, int(head), int(head + gone - 1));
        m_jobs.remove(head, gone);
        endRemoveRows();
    } else if (added > 0 && gone == 0) {
        beginInsertRows({}, int(head), int(head + added - 1));
        m_jobs.insert(head, added, PrintJob());
        for (qsizetype i = head; i < head + added; ++i)
            m_jobs[i] = next[i];
        endInsertRows();
    } else if (gone > 0) {
        followReordered(next);
    }
    // Same ids in the same order now: what remains is changed jobs. A job's status is
    // the only field that changes once it is made.
    for (qsizetype row = 0; row < m_jobs.size(); ++row) {
        if (!(std::as_const(m_jobs)[row].status == next[row].status)) {
            m_jobs[row] = next[row];
            Q_EMIT dataChanged(index(int(row)), index(int(row)));
        }
    }
}

void PrintLogModel::followReordered(const QList<PrintJob> &next)
{
    removeMissing(next);
    // The jobs kept must stand in the queue's order; a queue that reordered them
    // (it never does) is shown afresh, by rows as well.
    const QStringList shown = idsOf(m_jobs);
    const QSet<QString> old(shown.cbegin(), shown.cend());
    QStringList kept;
    for (const PrintJob &job : next)
        if (old.contains(job.id))
            kept.append(job.id);
    if (kept != shown && !m_jobs.isEmpty()) {
        beginRemoveRows({}, 0, int(m_jobs.size()) - 1);
        m_jobs.clear();
        endRemoveRows();
    }
    insertNew(next);
}

void PrintLogModel::removeMissing(const QList<PrintJob> &next)
{
    const QStringList nextIds = idsOf(next);
    const QSet<QString> present(nextIds.cbegin(), nextIds.cend());
    // From the end, a stretch at a time.
    qsizetype row = m_jobs.size() - 1;
    while (row >= 0) {
        if (present.contains(m_jobs[row].id)) {
            --row;
            continue;
        }
        qsizetype first = row;
        while (first > 0 && !present.contains(m_jobs[first - 1].id))
            --first;
        beginRemoveRows({}, int(first), int(row));
        m_jobs.remove(first, row - first + 1);
        endRemoveRows();
        row = first - 1;
    }
}

void PrintLogModel::insertNew(const QList<PrintJob> &next)
{
    qsizetype row = 0;
    while (row < next.size()) {
        if (row < m_jobs.size() && m_jobs[row].id == next[row].id) {
            ++row;
            continue;
        }
        // A stretch of new jobs ends where the next kept job stands.
        const QString keptId = row < m_jobs.size() ? m_jobs[row].id : QString();
        qsizetype end = row;
        while (end < next.size() && (keptId.isNull() || next[end].id != keptId))
            ++end;
        beginInsertRows({}, int(row), int(end - 1));
        for (qsizetype i = row; i < end; ++i)
            m_jobs.insert(i, next[i]);
        endInsertRows();
        row = end;
    }
}

QVariant PrintLogModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const PrintJob &job = m_jobs.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return oneLine(job.label);
    case LiveListRoles::recordId:
        return job.id;
    case LiveListRoles::printJob:
        return QVariant::fromValue(job);
    default:
        return {};
    }
}

QHash<int, QByteArray> PrintLogModel::roleNames() const
{
    return liveListRoleNames();
}

} // namespace quill
