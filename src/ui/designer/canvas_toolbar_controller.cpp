#include "ui/designer/canvas_toolbar_controller.h"

#include "common/detached_task.h"
#include "common/error.h"
#include "designer/label_designer_state.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"

#include <QCoroTask>
#include <QLoggingCategory>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace quill {

namespace {

Q_LOGGING_CATEGORY(lcCanvasToolbar, "app.quillmark.Quillmark.CanvasToolbar")

CanvasToolbarController::Prints printsThrough(PrintService &service)
{
    CanvasToolbarController::Prints prints;
    prints.testPrint = [&service](QString printer, LabelTemplate labelTemplate, TemplateVariables variables) {
        return service.printTemplate(std::move(printer), std::move(labelTemplate), std::move(variables));
    };
    prints.calibration = [&service](QString printer, LabelMedia media, Orientation orientation) {
        return service.printCalibration(std::move(printer), std::move(media), orientation);
    };
    return prints;
}

} // namespace

CanvasToolbarController::CanvasToolbarController(LabelDesignerState &state, PrintKitAdapter &adapter,
                                                 PrintService &service, QObject *parent)
    : CanvasToolbarController(state, adapter, printsThrough(service), parent)
{
}

CanvasToolbarController::CanvasToolbarController(LabelDesignerState &state, PrintKitAdapter &adapter,
                                                 Prints prints, QObject *parent)
    : QObject(parent), m_state(state), m_adapter(adapter), m_prints(std::move(prints))
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
    // The print runs to its end even when the toolbar goes away meanwhile. A print that
    // throws instead of answering still ends the printing state, as a failure to read.
    auto run = [](QPointer<CanvasToolbarController> self, Prints prints, Job job, QString printer,
                  LabelTemplate labelTemplate) -> QCoro::Task<> {
        PrintResult result;
        try {
            if (job == Job::testPrint) {
                result = co_await prints.testPrint(std::move(printer), std::move(labelTemplate),
                                                   testPrintVariables());
            } else {
                const LabelMedia media = calibrationMedium(labelTemplate);
                result = co_await prints.calibration(std::move(printer), media, Orientation::landscape);
            }
        } catch (const Error &error) {
            qCCritical(lcCanvasToolbar, "The print ended with an error: %s", qUtf8Printable(error.message()));
            result = PrintResult::failed(error.message());
        } catch (const std::exception &error) {
            qCCritical(lcCanvasToolbar, "The print ended with an unexpected error: %s", error.what());
            result = PrintResult::failed(QString());
        } catch (...) {
            qCCritical(lcCanvasToolbar, "The print ended with an unexpected error of unknown type");
            result = PrintResult::failed(QString());
        }
        if (!self)
            co_return;
        self->m_isPrinting = false;
        if (!result.ok)
            self->m_lastFailure = result.message.isEmpty() ? tr("The print failed.") : result.message;
        Q_EMIT self->printingChanged();
    };
    startDetached(run(QPointer<CanvasToolbarController>(this), m_prints, job, *m_selectedPrinter,
                      m_state.labelTemplate()),
                  lcCanvasToolbar(), job == Job::testPrint ? "Test Print" : "Calibration");
}

} // namespace quill
