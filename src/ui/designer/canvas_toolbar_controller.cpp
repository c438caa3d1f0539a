#include "ui/designer/canvas_toolbar_controller.h"

#include "designer/label_designer_state.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"

#include <QCoroTask>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace quill {

CanvasToolbarController::CanvasToolbarController(LabelDesignerState &state, PrintKitAdapter &adapter,
                                                 PrintService &service, QObject *parent)
    : QObject(parent), m_state(state), m_adapter(adapter), m_service(service)
{
    connect(&state, &LabelDesignerState::zoomScaleChanged, this, &CanvasToolbarController::zoomChanged);
    connect(&state, &LabelDesignerState::undoStackChanged, this, &CanvasToolbarController::historyChanged);
    connect(&state, &LabelDesignerState::redoStackChanged, this, &CanvasToolbarController::historyChanged);
    // Test Print depends on the template having elements.
    connect(&state, &LabelDesignerState::templateChanged, this, &CanvasToolbarController::printingChanged);
    connect(&adapter, &PrintKitAdapter::printersChanged, this, &CanvasToolbarController::printersChanged);
}

QString CanvasToolbarController::zoomText(double zoomScale)
{
    return QString::number(static_cast<qint64>(std::trunc(zoomScale * 100))) + QLatin1Char('%');
}

QString CanvasToolbarController::zoomText() const
{
    return zoomText(m_state.zoomScale());
}

void CanvasToolbarController::zoomIn()
{
    m_state.setZoomScale(std::min(m_state.zoomScale() + kZoomStep, kMaxZoom));
}

void CanvasToolbarController::zoomOut()
{
    m_state.setZoomScale(std::max(m_state.zoomScale() - kZoomStep, kMinZoom));
}

void CanvasToolbarController::resetZoom()
{
    m_state.setZoomScale(1.0);
}

bool CanvasToolbarController::canUndo() const
{
    return !m_state.undoStack().isEmpty();
}

bool CanvasToolbarController::canRedo() const
{
    return !m_state.redoStack().isEmpty();
}

void CanvasToolbarController::undo()
{
    if (canUndo())
        m_state.undo();
}

void CanvasToolbarController::redo()
{
    if (canRedo())
        m_state.redo();
}

const QList<PrinterInfo> &CanvasToolbarController::printers() const
{
    return m_adapter.printers();
}

void CanvasToolbarController::setSelectedPrinter(std::optional<QString> printer)
{
    if (m_selectedPrinter == printer)
        return;
    m_selectedPrinter = std::move(printer);
    Q_EMIT selectedPrinterChanged();
    Q_EMIT printingChanged();
}

void CanvasToolbarController::appear()
{
    if (m_hasAppeared)
        return;
    m_hasAppeared = true;
    if (!m_selectedPrinter && !printers().isEmpty())
        setSelectedPrinter(printers().first().name);
}

bool CanvasToolbarController::canTestPrint() const
{
    return m_selectedPrinter && !m_isPrinting && !m_state.labelTemplate().elements.isEmpty();
}

bool CanvasToolbarController::canCalibrate() const
{
    return m_selectedPrinter && !m_isPrinting;
}

QString CanvasToolbarController::testPrintToolTip() const
{
    return m_selectedPrinter ? tr("Print with test data") : tr("Select a printer first");
}

void CanvasToolbarController::testPrint()
{
    if (!m_state.labelTemplate().elements.isEmpty())
        start(Job::testPrint);
}

void CanvasToolbarController::calibrate()
{
    start(Job::calibration);
}

TemplateVariables CanvasToolbarController::testPrintVariables()
{
    return TemplateVariables{QStringLiteral("test_buyer"),
                             QStringLiteral("$7.99"),
                             QStringLiteral("#86"),
                             QStringLiteral("Sample item"),
                             QStringLiteral("Test Show"),
                             QStringLiteral("2"),
                             QString()};
}

LabelMedia CanvasToolbarController::calibrationMedium(const LabelTemplate &labelTemplate)
{
    double width = labelTemplate.labelSize.widthInches * 72.0;
    double height = labelTemplate.labelSize.heightInches * 72.0;
    if (labelTemplate.labelShape == LabelShape::circle || labelTemplate.labelShape == LabelShape::square)
        width = height = std::min(width, height);
    LabelMedia media;
    media.id = QStringLiteral("calibration");
    media.widthInches = width / 72.0;
    media.heightInches = height / 72.0;
    media.isCircular = labelTemplate.labelShape == LabelShape::circle;
    return media;
}

void CanvasToolbarController::start(Job job)
{
    if (!m_selectedPrinter || m_isPrinting)
        return;
    m_isPrinting = true;
    m_lastFailure.clear();
    Q_EMIT printingChanged();
    // The print runs to its end even when the toolbar goes away meanwhile.
    [](QPointer<CanvasToolbarController> self, PrintService &service, Job job, QString printer,
       LabelTemplate labelTemplate) -> QCoro::Task<> {
        PrintResult result;
        if (job == Job::testPrint) {
            result = co_await service.printTemplate(printer, std::move(labelTemplate), testPrintVariables());
        } else {
            const LabelMedia media = calibrationMedium(labelTemplate);
            result = co_await service.printCalibration(printer, media, Orientation::landscape);
        }
        if (!self)
            co_return;
        self->m_isPrinting = false;
        if (!result.ok)
            self->m_lastFailure = result.message.isEmpty() ? tr("The print failed.") : result.message;
        Q_EMIT self->printingChanged();
    }(QPointer<CanvasToolbarController>(this), m_service, job, *m_selectedPrinter, m_state.labelTemplate());
}

} // namespace quill
