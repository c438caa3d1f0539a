#include "ui/app/pending_work.h"

#include "app/app_state.h"
#include "backend/show_sync_service.h"
#include "printing/auto_print_manager.h"
#include "printing/print_job.h"

#include <QMessageBox>
#include <QPushButton>

namespace quill {

PendingWork PendingWork::of(const AppState &appState)
{
    PendingWork work;
    work.labels = unfinishedLabels(appState.autoPrintManager().printJobs());
    work.uploads = appState.showSyncService().pendingUploadCount();
    return work;
}

int PendingWork::unfinishedLabels(const QList<PrintJob> &jobs)
{
    int count = 0;
    for (const PrintJob &job : jobs) {
        if (job.status.kind == PrintJob::Status::Kind::queued ||
            job.status.kind == PrintJob::Status::Kind::printing)
            ++count;
    }
    return count;
}

QString PendingWork::message() const
{
    QStringList parts;
    if (labels == 1)
        parts.append(QStringLiteral("1 label is still queued or printing: it prints when the show is resumed."));
    else if (labels > 1)
        parts.append(
            QStringLiteral("%1 labels are still queued or printing: they print when the show is resumed.").arg(labels));
    if (uploads == 1)
        parts.append(QStringLiteral("1 win is not yet saved to your show: it is sent at the next start."));
    else if (uploads > 1)
        parts.append(
            QStringLiteral("%1 wins are not yet saved to your show: they are sent at the next start.")
                .arg(uploads));
    return parts.join(QLatin1Char('\n'));
}

bool confirmQuit(QWidget *parent, const PendingWork &work)
{
    if (work.isEmpty())
        return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quit Quillmark?"), work.message(),
                    QMessageBox::NoButton, parent);
    QPushButton *quit = box.addButton(QStringLiteral("Quit"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == quit;
}

} // namespace quill
