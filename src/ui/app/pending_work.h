#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace quill {

class AppState;
struct PrintJob;

// Work that quitting now would leave behind: labels not yet printed (they print when
// the show is resumed), and wins the backend has not accepted yet (they go up at the
// next start).
struct PendingWork
{
    // Automatic print jobs queued or printing.
    int labels = 0;
    int uploads = 0;

    static PendingWork of(const AppState &appState);
    static int unfinishedLabels(const QList<PrintJob> &jobs);

    bool isEmpty() const { return labels == 0 && uploads == 0; }
    // Says which work is pending and what becomes of it; empty when none is.
    QString message() const;

    bool operator==(const PendingWork &) const = default;
};

// Asks the seller before quitting while work is pending; true at once when none is.
bool confirmQuit(QWidget *parent, const PendingWork &work);

} // namespace quill
