#include "common/standard_output.h"

#include "common/logging.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace quill {

void openMissingStandardStreams()
{
    for (int wanted = STDIN_FILENO; wanted <= STDERR_FILENO; ++wanted) {
        if (::fcntl(wanted, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // The lowest free number is the one that is missing: open() takes it.
        const int opened = ::open("/dev/null", wanted == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != wanted) {
            // Only when something else raced us to it; keep the number all the same.
            ::dup2(opened, wanted);
            ::close(opened);
        }
    }
}

namespace {

// Everything the writer thread and the callers share, under `mutex`.
struct OutputWriter
{
    std::mutex mutex;
    std::condition_variable wake; // lines to write
    std::condition_variable idle; // lines written
    std::deque<QByteArray> lines;
    qsizetype bytes = 0;  // queued and being written
    quint64 accepted = 0; // lines queued so far
    quint64 settled = 0;  // of those, written or lost to a reader that went away
    quint64 dropped = 0;  // refused since the last report, for want of room
    bool reporting = false;
    // Set at the program's end: the writer no longer logs through Qt, whose state goes.
    std::atomic<bool> exiting = false;

    void run();
    static void writeAll(const QByteArray &text);
    void reportDropped(quint64 count) const;
};

// One write after the other until all of `text` is out; a reader that went away (or a
// descriptor that is not open) loses it. SIGPIPE is blocked on this thread, and one that
// a write raised is taken back, so a closed pipe never ends the program.
void OutputWriter::writeAll(const QByteArray &text)
{
    const char *data = text.constData();
    qsizetype left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, size_t(left));
        if (written >= 0) {
            data += written;
            left -= written;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // Somebody made the descriptor non-blocking: wait here, not in a spin.
            pollfd out{STDOUT_FILENO, POLLOUT, 0};
            ::poll(&out, 1, 1000);
            continue;
        }
        if (errno == EPIPE) {
            sigset_t pipeSignal;
            sigemptyset(&pipeSignal);
            sigaddset(&pipeSignal, SIGPIPE);
            const timespec noWait{0, 0};
            while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
            }
        }
        return;
    }
}

void OutputWriter::reportDropped(quint64 count) const
{
    if (exiting.load())
        std::fprintf(stderr, "%llu line(s) for standard output were dropped: its reader did not keep up\n",
                     static_cast<unsigned long long>(count));
    else
        qCWarning(lcStandardOutput,
                  "%llu line(s) for standard output were dropped: its reader did not keep up",
                  static_cast<unsigned long long>(count));
}

void OutputWriter::run()
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return !lines.empty() || dropped > 0; });
        // Everything queued goes out in one go, the lines whole and in order; it stays
        // counted against the room until it is out.
        QByteArray text;
        quint64 count = 0;
        for (const QByteArray &line : lines) {
            text += line;
            ++count;
        }
        lines.clear();
        lock.unlock();
        writeAll(text);
        lock.lock();
        bytes -= text.size();
        settled += count;
        if (lines.empty() && dropped > 0) {
            // Caught up: say what was lost while the reader did not read.
            const quint64 lost = std::exchange(dropped, 0);
            reporting = true;
            lock.unlock();
            reportDropped(lost);
            lock.lock();
            reporting = false;
        }
        idle.notify_all();
    }
}

std::atomic<OutputWriter *> g_outputWriter = nullptr;

OutputWriter &outputWriter()
{
    // Never destroyed: its thread may still wait on a reader when the program ends.
    static OutputWriter *const instance = [] {
        auto *made = new OutputWriter;
        std::thread([made] { made->run(); }).detach();
        g_outputWriter.store(made);
        return made;
    }();
    return *instance;
}

// At the program's end the lines still queued get a moment to go out.
struct DrainAtExit
{
    DrainAtExit() = default;
    DrainAtExit(const DrainAtExit &) = delete;
    DrainAtExit &operator=(const DrainAtExit &) = delete;
    ~DrainAtExit()
    {
        if (OutputWriter *const made = g_outputWriter.load()) {
            StandardOutput::drain(StandardOutput::kExitPatience);
            made->exiting.store(true);
        }
    }
};
const DrainAtExit g_drainAtExit;

} // namespace

void StandardOutput::writeLine(const QByteArray &line)
{
    OutputWriter &shared = outputWriter();
    {
        const std::lock_guard lock(shared.mutex);
        if (shared.bytes + line.size() > kCapacity) {
            ++shared.dropped;
            return;
        }
        shared.lines.push_back(line);
        shared.bytes += line.size();
        ++shared.accepted;
    }
    shared.wake.notify_one();
}

bool StandardOutput::drain(std::chrono::milliseconds patience)
{
    OutputWriter &shared = outputWriter();
    std::unique_lock lock(shared.mutex);
    const quint64 target = shared.accepted;
    return shared.idle.wait_for(
        lock, patience, [&] { return shared.settled >= target && shared.dropped == 0 && !shared.reporting; });
}

} // namespace quill
