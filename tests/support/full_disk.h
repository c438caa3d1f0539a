#pragma once

// A folder whose disk runs full when a test says so, in one of two ways:
// - `tmpfs`: a small tmpfs mounted over the folder (root only, as on CI) and filled to
//   the last page by a filler file. The disk itself refuses: writes are cut short or
//   fail with "No space left on device". Unmounted when the object goes, whatever the
//   test did, and the folder goes with it, with the folders above it that are left empty
//   inside the temporary folder (a test's temporary folder that went first could not
//   remove a folder something was mounted on); each test mounts over a folder of its own,
//   so parallel tests never meet.
// - `fileSizeCap`: no file of this process may grow (RLIMIT_FSIZE at 0), the same refusal
//   on any machine (or, with a cap above 0, a write across it is cut short). Process-wide
//   while full: only for tests that run alone in a process (each CTest test does).
// Both start with room to spare; fill() and makeRoom() switch between full and not.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace quill::testing {

class FullDisk
{
public:
    enum class Kind
    {
        tmpfs,
        fileSizeCap
    };

    virtual ~FullDisk() = default;
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    // `folder` (created when missing) on a disk that fill() makes full. Null, with the
    // reason in `whyNot`, when this machine does not allow it (a mount refused).
    static std::unique_ptr<FullDisk> over(Kind kind, const QString &folder, QString *whyNot);

    virtual void fill() = 0;
    virtual void makeRoom() = 0;

    static const char *name(Kind kind) { return kind == Kind::tmpfs ? "tmpfs" : "fileSizeCap"; }

protected:
    FullDisk() = default;
};

class TmpfsFullDisk final : public FullDisk
{
public:
    static constexpr const char *kFiller = ".full-disk-filler";

    explicit TmpfsFullDisk(QString folder) : m_folder(std::move(folder)) {}
    ~TmpfsFullDisk() override
    {
        if (!m_mounted)
            return;
        // Files the code under test still holds open keep the disk busy: detach it then,
        // so it goes once they are closed.
        if (::umount2(m_folder.toLocal8Bit().constData(), 0) != 0)
            ::umount2(m_folder.toLocal8Bit().constData(), MNT_DETACH);
        const QString temporary = QDir::tempPath() + QLatin1Char('/');
        QDir folder(QFileInfo(m_folder).absoluteFilePath());
        while (folder.absolutePath().startsWith(temporary) && folder.rmdir(folder.absolutePath()) &&
               folder.cdUp()) {
        }
    }

    QString mount()
    {
        if (!QDir().mkpath(m_folder))
            return QStringLiteral("%1 could not be created").arg(m_folder);
        if (::mount("tmpfs", m_folder.toLocal8Bit().constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=1m,mode=0700") != 0)
            return QStringLiteral("a tmpfs could not be mounted over %1: %2")
                .arg(m_folder, QString::fromLocal8Bit(std::strerror(errno)));
        m_mounted = true;
        return {};
    }

    void fill() override
    {
        QFile filler(m_folder + QLatin1Char('/') + QLatin1String(kFiller));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            << filler.errorString().toStdString();
        const QByteArray page(4096, 'f');
        while (filler.write(page) == page.size()) {
        }
        const QByteArray byte(1, 'f');
        while (filler.write(byte) == 1) {
        }
    }

    // Full but for `pages` pages of the disk.
    void fillLeaving(int pages)
    {
        fill();
        QFile filler(m_folder + QLatin1Char('/') + QLatin1String(kFiller));
        ASSERT_TRUE(filler.resize(filler.size() - qint64(pages) * ::sysconf(_SC_PAGESIZE)));
    }

    void makeRoom() override { QFile::remove(m_folder + QLatin1Char('/') + QLatin1String(kFiller)); }

private:
    QString m_folder;
    bool m_mounted = false;
};

class FileSizeCapFullDisk final : public FullDisk
{
public:
    // With a `cap` above 0, files may grow up to that many bytes: a write across it is cut short.
    explicit FileSizeCapFullDisk(rlim_t cap = 0) : m_cap(cap)
    {
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &m_previous), 0);
    }
    ~FileSizeCapFullDisk() override { makeRoom(); }

    void fill() override
    {
        if (m_capped)
            return;
        // A write past the cap would otherwise end the process.
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit capped = m_previous;
        capped.rlim_cur = m_cap;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &capped), 0);
        m_capped = true;
    }

    void makeRoom() override
    {
        if (!m_capped)
            return;
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
        m_capped = false;
    }

private:
    rlim_t m_cap;
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_capped = false;
};

inline std::unique_ptr<FullDisk> FullDisk::over(Kind kind, const QString &folder, QString *whyNot)
{
    if (kind == Kind::fileSizeCap) {
        QDir().mkpath(folder);
        return std::make_unique<FileSizeCapFullDisk>();
    }
    auto disk = std::make_unique<TmpfsFullDisk>(folder);
    const QString refused = disk->mount();
    if (!refused.isEmpty()) {
        if (whyNot)
            *whyNot = refused;
        return nullptr;
    }
    return disk;
}

// A test over both kinds of full disk:
//   class Suite : public SomeFixture, public FullDiskTest {};
//   INSTANTIATE_TEST_SUITE_P(Disks, Suite, kEveryFullDisk, fullDiskName);
// The disk goes (unmounted, uncapped) with the test, after its TearDown.
class FullDiskTest : public ::testing::WithParamInterface<FullDisk::Kind>
{
protected:
    // Puts `folder` on a disk of this test's kind; false when the machine refuses, see whyNot().
    bool diskOver(const QString &folder)
    {
        m_disk = FullDisk::over(GetParam(), folder, &m_whyNot);
        return m_disk != nullptr;
    }
    FullDisk &disk() const { return *m_disk; }
    std::string whyNot() const { return m_whyNot.toStdString(); }

private:
    std::unique_ptr<FullDisk> m_disk;
    QString m_whyNot;
};

inline const auto kEveryFullDisk = ::testing::Values(FullDisk::Kind::tmpfs, FullDisk::Kind::fileSizeCap);
inline std::string fullDiskName(const ::testing::TestParamInfo<FullDisk::Kind> &info)
{
    return FullDisk::name(info.param);
}

} // namespace quill::testing
