#pragma once

#include "printing/label_appearance.h"
#include "printing/label_media.h"
#include "printing/layouts/any_label_view.h"
#include "printing/orientation.h"

#include <QByteArray>
#include <QCoroTask>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quill {

class BandCrew;

// What the drawing thread made of one label: the PNG bytes of its pages in order,
// or the reason none could be made (then there are no bytes at all).
struct DrawnLabel
{
    QList<QByteArray> pngs;
    std::optional<QString> failure;
};

// One thread of its own that draws label pages, converts them to the colour mode,
// turns and encodes them, so the GUI thread's event loop keeps turning while a label
// is made. Requests are drawn one at a time in the order they were made, and their
// results come back to the GUI thread in that order.
//
// Only values cross to the thread: the page views (their fonts and pictures are
// QFont and QImage copies, painted into a QImage), the medium and the modes. Nothing
// that lives on the GUI thread is touched there.
//
// Destroying the worker drops the requests it has not started and waits for the one
// in hand; every caller still gets an answer (a failure for a dropped request),
// delivered later from the GUI thread's event loop, never from inside the destructor.
class LabelDrawingWorker final
{
public:
    using Work = std::function<DrawnLabel()>;

    LabelDrawingWorker();
    ~LabelDrawingWorker();
    LabelDrawingWorker(const LabelDrawingWorker &) = delete;
    LabelDrawingWorker &operator=(const LabelDrawingWorker &) = delete;

    // Every page through the bitmap pipeline with the label size rule and the standard
    // rotation. A page that cannot be drawn or encoded fails the whole label.
    QCoro::Task<DrawnLabel> draw(QList<AnyLabelView> pages, LabelMedia media, Orientation orientation,
                                 LabelColorMode colorMode);
    // Any piece of drawing work, in turn with the labels. An exception it throws becomes
    // the result's failure. `work` must hold only values that are safe on another thread.
    QCoro::Task<DrawnLabel> run(Work work);

    // The text a request dropped at destruction fails with.
    static QString shutDownMessage();

private:
    struct Shared;
    // A big label's bands are drawn side by side on these threads, besides the worker's.
    std::unique_ptr<BandCrew> m_crew;
    std::shared_ptr<Shared> m_shared;
};

} // namespace quill
