#include "ui/widgets/sheet_centring.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>

namespace quill {

namespace {

// How often and how long a shown sheet looks for its frame: the window manager frames
// a new window within a few frames, and one that never frames it leaves Qt's place.
constexpr int kLookEveryMs = 20;
constexpr int kLooks = 50;

void centreOnceFramed(QDialog *shown)
{
    auto *timer = new QTimer(shown);
    timer->setInterval(kLookEveryMs);
    QObject::connect(timer, &QTimer::timeout, shown, [sheet = QPointer<QDialog>(shown), timer, looks = 0]() mutable {
        const bool framed = sheet && sheet->frameGeometry() != sheet->geometry();
        if (framed && sheet->isVisible() && sheet->parentWidget()) {
            const QRect over = sheet->parentWidget()->window()->frameGeometry();
            const QRect frame = sheet->frameGeometry();
            sheet->move(over.topLeft() +
                        QPoint((over.width() - frame.width()) / 2, (over.height() - frame.height()) / 2));
        }
        if (framed || ++looks >= kLooks)
            timer->deleteLater();
    });
    timer->start();
}

class SheetCentring final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto *sheet = qobject_cast<QDialog *>(watched);
        if (sheet && sheet->isWindow() && sheet->parentWidget() && !event->spontaneous())
            centreOnceFramed(sheet);
        return false;
    }
};

} // namespace

void centreSheetsOnTheirWindows(QApplication &app)
{
    app.installEventFilter(new SheetCentring(&app));
}

} // namespace quill
