#pragma once

#include <functional>
#include <memory>

namespace quill {

// A few threads that share the drawing of one big label between them: `run(count, band)`
// calls band(0) … band(count - 1), shared between the caller's thread and the crew's,
// and returns when every one has returned. The threads live as long as the crew, so each
// keeps its own warm font and glyph caches from label to label.
//
// A band must not wait for the crew. The first exception a band throws (in band order)
// is thrown again by run() once all have finished. Destroying the crew waits for its
// threads; no run may be under way then.
class BandCrew final
{
public:
    explicit BandCrew(int threads);
    ~BandCrew();
    BandCrew(const BandCrew &) = delete;
    BandCrew &operator=(const BandCrew &) = delete;

    // One thread fewer than the CPUs this process may use, at most 3; none on one CPU.
    static int defaultThreads();

    // How many bands run() runs side by side: the crew's threads and the caller.
    int bands() const;

    void run(int count, const std::function<void(int)> &band);

private:
    struct Shared;
    std::unique_ptr<Shared> m_shared;
};

} // namespace quill
