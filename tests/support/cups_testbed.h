#pragma once

// Access to the private CUPS scheduler that the `cups` CTest fixture starts
// (scripts/cups-testbed.sh). Only suites named Cups* may use it.

#include "eventually.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace quill::testing::cups {

// The testbed's plain raw queue.
inline const QString kTestLabel = QStringLiteral("TestLabel");

inline QString testbedDir()
{
    return QStringLiteral(QUILLMARK_TESTBED_DIR "/cups");
}

inline QString ppdDirectory()
{
    return testbedDir() + QStringLiteral("/ppd");
}

// Folder where the test backend stores the jobs of `queue` (job-<id>.bin and .options).
inline QString outDir(const QString &queue)
{
    return testbedDir() + QStringLiteral("/out/") + queue;
}

// Job files in job-id order (job-9 before job-10).
inline QStringList jobFiles(const QString &queue)
{
    QStringList files = QDir(outDir(queue)).entryList({QStringLiteral("job-*.bin")}, QDir::Files);
    auto id = [](const QString &name) { return name.mid(4, name.size() - 8).toInt(); };
    std::sort(files.begin(), files.end(), [&](const QString &a, const QString &b) { return id(a) < id(b); });
    return files;
}

// Waits for the backend to store more jobs of `queue` than `before` and returns the
// path stem (…/job-<id>) of the newest one; empty when none came.
inline QString nextJob(const QString &queue, qsizetype before);

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs a CUPS tool synchronously against the private scheduler; returns its output.
inline QString tool(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    p.waitForFinished(20000);
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAll());
}

// The scheduler works on its own time: tests wait for what it does, not for a period.
using testing::eventually;

inline QString nextJob(const QString &queue, qsizetype before)
{
    if (!eventually([&] { return jobFiles(queue).size() > before; })) {
        ADD_FAILURE() << "no job reached " << queue.toStdString();
        return {};
    }
    const QStringList files = jobFiles(queue); // in job-id order
    return outDir(queue) + QLatin1Char('/') + files.last().chopped(4);
}

// Puts every test queue back to enabled, accepting and empty.
inline void resetQueues()
{
    for (const char *q : {"TestLabel", "ZebraLabel", "SlowLabel", "FailLabel"}) {
        const QString queue = QString::fromLatin1(q);
        tool(QStringLiteral("/usr/bin/cancel"), {QStringLiteral("-a"), queue});
        tool(QStringLiteral("/usr/sbin/cupsenable"), {queue});
        tool(QStringLiteral("/usr/sbin/cupsaccept"), {queue});
    }
}

} // namespace quill::testing::cups
