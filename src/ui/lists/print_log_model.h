#pragma once

#include "printing/print_job.h"

#include <QAbstractListModel>
#include <QList>

namespace quill {

class AutoPrintManager;

// The print log: every job of the automatic print queue in the queue's order. The
// queue hands over whole lists; this matches jobs by id, so a new job is one insert,
// a changed status one dataChanged and "Clear" one removal, never a reset.
class PrintLogModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintLogModel)

public:
    explicit PrintLogModel(const AutoPrintManager &queue, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<PrintJob> &jobs() const { return m_jobs; }
    // The job of a valid row, without a copy (rows are drawn often).
    const PrintJob &jobAt(int row) const { return m_jobs.at(row); }

private:
    void follow();
    void followReordered(const QList<PrintJob> &next);
    void removeMissing(const QList<PrintJob> &next);
    void insertNew(const QList<PrintJob> &next);

    const AutoPrintManager &m_queue;
    QList<PrintJob> m_jobs;
};

} // namespace quill
