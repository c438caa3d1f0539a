#pragma once

#include <QByteArray>
#include <QString>

namespace quill::paths {

// The application's data folder (the standard per-user application data location,
// ~/.local/share/...), created when missing. Throws quill::Error when there is no
// such location or it cannot be created.
QString dataFolder();

// The path of `name` inside the data folder, which is created when missing. `name`
// is relative and made of plain names ("show_history.json",
// "LabelTemplates/<id>.json"); an empty name, an absolute path, or a "." or ".."
// part is refused with quill::Error so nothing can land outside the folder.
// Folders below the data folder are not created.
QString dataFile(const QString &name);

// Replaces the file at `path` with `bytes` in one step: until the new content is
// complete on disk the old file (or no file) stays, and a failed write leaves no
// partial file behind, whatever the size (a full disk included). The folder is synced
// after the rename, so a power cut cannot take the new name back. Throws quill::Error
// naming the file and the reason.
void writeFileAtomically(const QString &path, const QByteArray &bytes);

// Appends `bytes` (whole lines) to the file at `path` in one write, creating it owner-only
// when missing; with `durable`, returns only once the data is on disk (fdatasync), and
// the folder too when this append created the file. A crash can only cut off the end of
// the last line; a write the disk refuses (full) is taken back, so the file ends as it
// did. Throws quill::Error naming the file.
void appendToFile(const QString &path, const QByteArray &bytes, bool durable);

// What syncs a folder after a name in it changed (fsync of the open folder): 0, or -1
// with errno set. Tests swap it to see which folder is synced and when; returns the one
// it replaces.
using FolderSync = int (*)(int folderDescriptor);
FolderSync setFolderSync(FolderSync sync);

// A free path beside `path` for keeping a copy of it that could not be read:
// "<path>.unreadable", else "<path>.unreadable.2", ".3" and so on, so that no kept
// copy is ever replaced by a later one.
QString setAsidePath(const QString &path);

// Where a file chooser for pictures opens: the user's Pictures folder when there is
// one, else the home folder. Never the process's working folder, which for a program
// started from a menu or a launcher means nothing to the user.
QString picturesFolder();

} // namespace quill::paths
