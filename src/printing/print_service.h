#pragma once

#include "common/decimal.h"
#include "designer/label_template.h"
#include "designer/template_variables.h"
#include "printing/label_appearance.h"
#include "printing/label_content.h"
#include "printing/label_drawing_worker.h"
#include "printing/label_media.h"
#include "printing/layouts/any_label_view.h"
#include "printing/layouts/grouped_label_view.h"
#include "printing/orientation.h"
#include "printing/print_result.h"

#include <QByteArray>
#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <optional>

namespace quill {

class LabelAppearanceStore;
class PrintKitAdapter;

// The prints a seller starts by hand: packing slips, calibration labels, reprints of
// a ready PNG label, single labels and designed (HTML) labels. Screens watch
// `isPrinting` for a spinner and `lastError` for an error line.
//
// Every operation hands its own PrintResult back to its caller, besides setting
// `lastError`: two prints that overlap share `isPrinting` and `lastError`, but each
// caller learns the outcome of its own print. Nothing here throws. Labels are drawn
// on a thread of the service's own (drawLabel), never on the GUI thread.
class PrintService final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintService)
    Q_PROPERTY(bool isPrinting READ isPrinting NOTIFY isPrintingChanged)
    Q_PROPERTY(std::optional<QString> lastError READ lastError NOTIFY lastErrorChanged)

public:
    // `appearance` is read at each print.
    PrintService(PrintKitAdapter &adapter, LabelAppearanceStore &appearance, QObject *parent = nullptr);
    ~PrintService() override;

    PrintKitAdapter &adapter() const { return m_adapter; }
    // The appearance labels are drawn with: colour mode, font and logo.
    LabelAppearanceStore &appearanceStore() const;

    // The label pages drawn, turned and encoded on the drawing thread; answers come
    // back in the order asked, for the print queue and this service's own prints alike.
    // The pages must have been made for this print alone (nothing else paints them).
    QCoro::Task<DrawnLabel> drawLabel(QList<AnyLabelView> pages, LabelMedia media, Orientation orientation,
                                      LabelColorMode colorMode);

    // For hosts and tests that need to reach the drawing thread itself.
    LabelDrawingWorker &drawingWorker() { return m_drawing; }

    // True while any print of this service runs.
    bool isPrinting() const { return m_isPrinting; }
    // The localized description of the last failed print; cleared when a print starts.
    const std::optional<QString> &lastError() const { return m_lastError; }

    // A ready PNG label, one copy on the medium's page size. Empty bytes fail without
    // reaching the printer.
    QCoro::Task<PrintResult> printImage(QString printer, QByteArray png, LabelMedia media);

    // The calibration label for this medium and orientation, through the bitmap pipeline.
    QCoro::Task<PrintResult> printCalibration(QString printer, LabelMedia media, Orientation orientation);

    // A buyer's packing slip, one bitmap per page, in order; stops at the first page
    // that fails (the pages before it have printed).
    QCoro::Task<PrintResult> printLabel(QString printer, QString buyer, QList<GroupedItem> items,
                                        Decimal total, QString showTitle, LabelVariant style,
                                        LabelMedia media, Orientation orientation);

    // Any label content (a winner label, a box label, a packing slip): every page
    // through the bitmap pipeline with the current appearance and the standard
    // rotation, in order, stopping at the first page that fails.
    QCoro::Task<PrintResult> printContent(QString printer, LabelContent content, LabelVariant style,
                                          LabelMedia media, Orientation orientation);

    // A designed label already rendered to its HTML document, as a one-page PDF of
    // the label's size. A circle or square template (`isSquareShape`) prints on a
    // square of the smaller side.
    QCoro::Task<PrintResult> printTemplateHTML(QString printer, QString html, double widthInches,
                                               double heightInches, bool isSquareShape);

    // A designed template with its variables filled in, as the HTML page of its label
    // printed through printTemplateHTML ("Custom label sent to …" in the log).
    QCoro::Task<PrintResult> printTemplate(QString printer, LabelTemplate labelTemplate,
                                           TemplateVariables variables);

    // The page size a template prints on: both sides the smaller one for a circle or
    // a square, otherwise the template's own width and height.
    static QSizeF templatePageSizeInches(double widthInches, double heightInches, bool isSquareShape);

Q_SIGNALS:
    void isPrintingChanged(bool isPrinting);
    void lastErrorChanged(const std::optional<QString> &lastError);

private:
    QCoro::Task<PrintResult> submitImage(QString printer, QByteArray png, LabelMedia media,
                                         Orientation orientation);
    QCoro::Task<PrintResult> printContentPages(QString printer, LabelContent content, LabelVariant style,
                                               LabelMedia media, Orientation orientation, bool isPackingSlip);
    QCoro::Task<PrintResult> printPages(QString printer, QList<AnyLabelView> pages, LabelMedia media,
                                        Orientation orientation, LabelColorMode colorMode,
                                        bool isPackingSlip);
    PrintResult fail(const QString &message);
    static void changeActivePrints(PrintService *service, int delta);
    void setIsPrinting(bool value);
    void setLastError(std::optional<QString> value);

    PrintKitAdapter &m_adapter;
    LabelAppearanceStore &m_appearance;
    LabelDrawingWorker m_drawing;
    int m_activePrints = 0;
    bool m_isPrinting = false;
    std::optional<QString> m_lastError;
};

} // namespace quill
