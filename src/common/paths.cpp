#include "common/paths.h"

#include "common/error.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcPaths, "app.quillmark.Quillmark.Paths")

namespace quill::paths {

namespace {

// Writes all of `bytes` to `file`, opened unbuffered; else gives why not. Qt names no
// reason for a write the disk took only part of (a full disk), but the system call that
// stopped it left one in errno.
std::optional<QString> writeAll(QFileDevice &file, const QByteArray &bytes)
{
    errno = 0;
    const qint64 written = file.write(bytes);
    const int code = errno;
    if (written == bytes.size())
        return std::nullopt;
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return code != 0
               ? QString::fromLocal8Bit(std::strerror(code))
               : QStringLiteral("only %1 of %2 bytes were written").arg(qMax(written, 0)).arg(bytes.size());
}

Error writeFailure(const QString &path, const QString &reason)
{
    return Error(QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), reason));
}

std::atomic<FolderSync> g_folderSync{&::fsync};

// A rename or a new file is a change of its folder, which a power cut can undo until the
// folder itself is synced.
void syncFolderOf(const QString &path)
{
    auto failure = [&path] {
        return writeFailure(path, QStringLiteral("its folder could not be synced to disk: %1")
                                      .arg(QString::fromLocal8Bit(std::strerror(errno))));
    };
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        throw failure();
    const int synced = g_folderSync.load()(descriptor);
    // A file system that cannot sync a folder says so with EINVAL; there is nothing more to do.
    if (synced != 0 && errno != EINVAL) {
        const Error error = failure();
        ::close(descriptor);
        throw error;
    }
    ::close(descriptor);
}

// Where QSaveFile puts the new file: a link (or a chain of them) is written through, and
// the new file takes the place of the file it points to, in that file's folder.
QString landingPath(const QString &path)
{
    QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    int maxDepth = 128;
    while (--maxDepth && info.isSymLink())
        info.setFile(info.symLinkTarget());
    return maxDepth > 0 ? info.filePath() : path;
}

} // namespace

QString dataFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        throw Error(QStringLiteral("This system reports no folder for application data"));
    if (!QDir().mkpath(folder))
        throw Error(
            QStringLiteral("The data folder %1 could not be created").arg(QDir::toNativeSeparators(folder)));
    return folder;
}

QString dataFile(const QString &name)
{
    auto refuse = [&name](const QString &why) {
        return Error(
            QStringLiteral("\"%1\" cannot be used as a file name in the data folder: %2").arg(name, why));
    };
    if (name.isEmpty())
        throw refuse(QStringLiteral("the name is empty"));
    if (QDir::isAbsolutePath(name))
        throw refuse(QStringLiteral("it is an absolute path"));
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            throw refuse(QStringLiteral("only plain names separated by single \"/\" are allowed"));
    }
    return dataFolder() + QLatin1Char('/') + name;
}

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    auto failure = [&path](const QString &reason) { return writeFailure(path, reason); };
    const QString landing = landingPath(path);

    // Never fall back to writing the target in place: that is what leaves half a file.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered, so that every byte is handed to the disk here, where a refusal is seen.
    // Buffered, a small file would only be written by commit(), which renames the
    // temporary file over the target even when that last write failed (a full disk
    // then leaves an empty file and reports success).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw failure(file.errorString());
    if (const std::optional<QString> reason = writeAll(file, bytes)) {
        file.cancelWriting();
        throw failure(*reason);
    }
    // A file system that allocates late reports a full disk only when the data is synced,
    // and commit() ignores that.
    if (::fdatasync(file.handle()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        throw failure(reason);
    }
    if (!file.commit())
        throw failure(file.errorString());
    syncFolderOf(landing);
}

void appendToFile(const QString &path, const QByteArray &bytes, bool durable)
{
    if (bytes.isEmpty())
        return;
    QFile file(path);
    auto failure = [&path](const QString &reason) { return writeFailure(path, reason); };
    const bool creates = !file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw failure(file.errorString());
    const qint64 before = file.size();
    // A write cut short (a full disk) is taken back, so the file keeps ending with a whole
    // line and the next append does not run on from half of this one.
    auto takeBack = [&] {
        if (::ftruncate(file.handle(), before) != 0)
            qCWarning(lcPaths, "%s could not be cut back to its last whole line",
                      qUtf8Printable(QDir::toNativeSeparators(path)));
    };
    if (const std::optional<QString> reason = writeAll(file, bytes)) {
        takeBack();
        throw failure(*reason);
    }
    if (durable && ::fdatasync(file.handle()) != 0) {
        const Error error = failure(QStringLiteral("it could not be synced to disk: %1")
                                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
        takeBack();
        throw error;
    }
    if (durable && creates)
        syncFolderOf(path);
}

FolderSync setFolderSync(FolderSync sync)
{
    return g_folderSync.exchange(sync ? sync : &::fsync);
}

QString picturesFolder()
{
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::PicturesLocation)) {
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

QString setAsidePath(const QString &path)
{
    const QString first = path + QStringLiteral(".unreadable");
    QString candidate = first;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = first + QStringLiteral(".%1").arg(n);
    return candidate;
}

} // namespace quill::paths
