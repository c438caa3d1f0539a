#include "printing/label_drawing_worker.h"

#include "common/error.h"
#include "printing/band_crew.h"
#include "printing/label_bitmap_pipeline.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <coroutine>
#include <deque>
#include <mutex>
#include <thread>

namespace quill {

namespace {

struct Request
{
    LabelDrawingWorker::Work work;
    DrawnLabel result;
    std::coroutine_handle<> waiter;
};

// Resumes the waiting coroutine from the GUI thread's event loop. The application
// object outlives every print, so the answer is never posted to something that is gone.
void deliver(std::shared_ptr<Request> request)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return; // no event loop will ever resume it
    QMetaObject::invokeMethod(
        app, [request = std::move(request)] { std::exchange(request->waiter, {}).resume(); },
        Qt::QueuedConnection);
}

DrawnLabel perform(const LabelDrawingWorker::Work &work)
{
    DrawnLabel drawn;
    try {
        drawn = work();
    } catch (const std::exception &error) {
        drawn = DrawnLabel{{}, errorMessage(error)};
    } catch (...) {
        drawn = DrawnLabel{{}, QStringLiteral("The label could not be drawn.")};
    }
    if (drawn.failure)
        drawn.pngs.clear();
    return drawn;
}

} // namespace

struct LabelDrawingWorker::Shared
{
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::shared_ptr<Request>> queue;
    bool stopping = false;
    std::thread thread;

    void loop()
    {
        while (true) {
            std::shared_ptr<Request> request;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [&] { return stopping || !queue.empty(); });
                if (stopping)
                    return; // what is still queued is answered by the destructor
                request = std::move(queue.front());
                queue.pop_front();
            }
            request->result = perform(request->work);
            request->work = nullptr; // the pages go with the thread that drew them
            deliver(std::move(request));
        }
    }

    void submit(std::shared_ptr<Request> request)
    {
        {
            std::lock_guard lock(mutex);
            if (!stopping) {
                queue.push_back(std::move(request));
                wake.notify_one();
                return;
            }
        }
        request->result = DrawnLabel{{}, shutDownMessage()};
        deliver(std::move(request));
    }

    // Hands the request to the thread once the coroutine waits, so its answer can never
    // arrive before there is someone to resume.
    struct Submission
    {
        std::shared_ptr<Shared> shared;
        std::shared_ptr<Request> request;

        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> waiter)
        {
            request->waiter = waiter;
            shared->submit(request);
        }
        DrawnLabel await_resume() { return std::move(request->result); }
    };
};

LabelDrawingWorker::LabelDrawingWorker()
    : m_crew(std::make_unique<BandCrew>(BandCrew::defaultThreads())), m_shared(std::make_shared<Shared>())
{
    m_shared->thread = std::thread([shared = m_shared.get()] { shared->loop(); });
}

LabelDrawingWorker::~LabelDrawingWorker()
{
    std::deque<std::shared_ptr<Request>> dropped;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
        dropped.swap(m_shared->queue);
    }
    m_shared->wake.notify_one();
    m_shared->thread.join();
    // After the label in hand, so the answers still come back in the order asked.
    for (std::shared_ptr<Request> &request : dropped) {
        request->work = nullptr;
        request->result = DrawnLabel{{}, shutDownMessage()};
        deliver(std::move(request));
    }
}

QString LabelDrawingWorker::shutDownMessage()
{
    return QStringLiteral("Printing was shut down before this label was drawn");
}

QCoro::Task<DrawnLabel> LabelDrawingWorker::run(Work work)
{
    auto request = std::make_shared<Request>();
    request->work = std::move(work);
    // Named, not braced in the co_await: GCC 12 destroys such temporaries twice.
    Shared::Submission submission{m_shared, std::move(request)};
    DrawnLabel drawn = co_await submission;
    co_return drawn;
}

QCoro::Task<DrawnLabel> LabelDrawingWorker::draw(QList<AnyLabelView> pages, LabelMedia media,
                                                 Orientation orientation, LabelColorMode colorMode)
{
    // The crew outlives the worker's thread, which is joined before the members go.
    Work work = [pages = std::move(pages), media = std::move(media), orientation, colorMode,
                 crew = m_crew.get()] {
        DrawnLabel drawn;
        drawn.pngs.reserve(pages.size());
        for (const AnyLabelView &page : pages)
            drawn.pngs.append(renderLabelPNG(page, media, orientation, colorMode, crew));
        return drawn;
    };
    QCoro::Task<DrawnLabel> drawing = run(std::move(work));
    DrawnLabel drawn = co_await std::move(drawing);
    co_return drawn;
}

} // namespace quill
