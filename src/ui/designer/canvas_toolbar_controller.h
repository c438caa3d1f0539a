#pragma once

#include "designer/label_template.h"
#include "designer/template_variables.h"
#include "printing/label_media.h"
#include "printing/orientation.h"
#include "printing/print_result.h"
#include "printing/printer_info.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace quill {

class LabelDesignerState;
class PrintKitAdapter;
class PrintService;

// What the canvas toolbar does: zoom, the grid and snapping switches, undo and redo,
// the printer it prints on, Test Print with sample values and a calibration label of
// the template's size. Its printer and printing flag live only as long as it does.
class CanvasToolbarController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CanvasToolbarController)

public:
    static constexpr double kZoomStep = 0.25;
    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 4.0;

    // The two prints the toolbar starts, each answering with its outcome.
    struct Prints
    {
        std::function<QCoro::Task<PrintResult>(QString printer, LabelTemplate labelTemplate,
                                               TemplateVariables variables)>
            testPrint;
        std::function<QCoro::Task<PrintResult>(QString printer, LabelMedia media, Orientation orientation)>
            calibration;
    };

    // Prints through `service`, which outlives every print started here.
    CanvasToolbarController(LabelDesignerState &state, PrintKitAdapter &adapter, PrintService &service,
                            QObject *parent = nullptr);
    CanvasToolbarController(LabelDesignerState &state, PrintKitAdapter &adapter, Prints prints,
                            QObject *parent = nullptr);

    LabelDesignerState &state() const { return m_state; }

    // "135%": the zoom times 100, truncated.
    static QString zoomText(double zoomScale);
    QString zoomText() const;
    void zoomIn();
    void zoomOut();
    void resetZoom();

    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();

    const QList<PrinterInfo> &printers() const;
    const std::optional<QString> &selectedPrinter() const { return m_selectedPrinter; }
    void setSelectedPrinter(std::optional<QString> printer);
    // The first time the toolbar is shown, the first printer is chosen if none is.
    void appear();

    bool isPrinting() const { return m_isPrinting; }
    bool canTestPrint() const;
    bool canCalibrate() const;
    QString testPrintToolTip() const;
    // The failure of the last print started here, until the next one starts.
    const QString &lastFailure() const { return m_lastFailure; }

    void testPrint();
    void calibrate();

    static TemplateVariables testPrintVariables();
    // The template's size and shape as a medium: circles and squares on their shorter side.
    static LabelMedia calibrationMedium(const LabelTemplate &labelTemplate);

Q_SIGNALS:
    void zoomChanged();
    void historyChanged();
    void printersChanged();
    void selectedPrinterChanged();
    void printingChanged();

private:
    enum class Job
    {
        testPrint,
        calibration
    };
    void start(Job job);

    LabelDesignerState &m_state;
    PrintKitAdapter &m_adapter;
    Prints m_prints;
    std::optional<QString> m_selectedPrinter;
    bool m_hasAppeared = false;
    bool m_isPrinting = false;
    QString m_lastFailure;
};

} // namespace quill
