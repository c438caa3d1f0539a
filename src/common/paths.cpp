#include "common/paths.h"

#include "common/error.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <unistd.h>

namespace quill::paths {

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
    auto failure = [&path](const QString &reason) {
        return Error(
            QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), reason));
    };

    // Never fall back to writing the target in place: that is what leaves half a file.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw failure(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw failure(reason);
    }
    if (!file.commit())
        throw failure(file.errorString());
}

void appendToFile(const QString &path, const QByteArray &bytes, bool durable)
{
    if (bytes.isEmpty())
        return;
    QFile file(path);
    auto failure = [&] {
        return Error(QStringLiteral("%1 could not be written: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw failure();
    if (file.write(bytes) != bytes.size())
        throw failure();
    if (durable && ::fdatasync(file.handle()) != 0)
        throw Error(QStringLiteral("%1 could not be synced to disk").arg(QDir::toNativeSeparators(path)));
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
