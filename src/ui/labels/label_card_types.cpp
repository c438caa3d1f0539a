#include "ui/labels/label_card_types.h"

#include "common/detached_task.h"
#include "common/error.h"

#include <QCoroTimer>
#include <QLoggingCategory>
#include <QPointer>
#include <chrono>

namespace quill {

namespace {
Q_LOGGING_CATEGORY(lcLabelPreview, "app.quillmark.Quillmark.LabelPreview")
Q_LOGGING_CATEGORY(lcLabelCards, "app.quillmark.Quillmark.LabelCards")

QCoro::Task<> cardPrint(QPointer<QObject> guard, std::function<PreviewPrintAction()> start,
                        std::function<void()> finished)
{
    // A started task runs after the click that started it.
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
    try {
        if (const PreviewPrintAction print = start ? start() : PreviewPrintAction())
            co_await print();
    } catch (const std::exception &error) {
        qCWarning(lcLabelCards, "Label print ended with an error: %s", qUtf8Printable(errorMessage(error)));
    }
    if (guard && finished)
        finished();
}
} // namespace

QList<AnyLabelView> pagesOrNone(const PageBuilder &builder, double scale)
{
    if (!builder)
        return {};
    try {
        return builder(scale);
    } catch (const std::exception &error) {
        qCWarning(lcLabelPreview, "Label preview not drawn: %s", qUtf8Printable(errorMessage(error)));
        return {};
    }
}

void runCardPrint(QObject *guard, std::function<PreviewPrintAction()> start, std::function<void()> finished)
{
    startDetached(cardPrint(QPointer<QObject>(guard), std::move(start), std::move(finished)), lcLabelCards(),
                  "Label card print");
}

} // namespace quill
