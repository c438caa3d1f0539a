#include "printing/print_service.h"

#include "common/logging.h"
#include "designer/template_html_renderer.h"
#include "printing/label_appearance_store.h"
#include "printing/layouts/calibration_label_view.h"
#include "printing/print_kit_adapter.h"

#include <QPointer>
#include <algorithm>

namespace quill {

namespace {

constexpr qreal kCalibrationCornerInset = 9.0;
constexpr qreal kCalibrationMarkLength = 7.2;

const QString kServiceGoneMessage = QStringLiteral("Printing was shut down before this label was sent");

// Keeps `isPrinting` up for as long as one print of the service runs, and lets
// the service go without being touched when it is destroyed mid-print.
class PrintingScope final
{
public:
    PrintingScope(PrintService *service, void (*change)(PrintService *, int))
        : m_service(service), m_change(change)
    {
        m_change(service, +1);
    }
    ~PrintingScope()
    {
        if (m_service)
            m_change(m_service, -1);
    }
    PrintingScope(const PrintingScope &) = delete;
    PrintingScope &operator=(const PrintingScope &) = delete;

    bool alive() const { return !m_service.isNull(); }

private:
    QPointer<PrintService> m_service;
    void (*m_change)(PrintService *, int);
};

} // namespace

PrintService::PrintService(PrintKitAdapter &adapter, LabelAppearanceStore &appearance, QObject *parent)
    : QObject(parent), m_adapter(adapter), m_appearance(appearance)
{
}

PrintService::~PrintService() = default;

LabelAppearanceStore &PrintService::appearanceStore() const
{
    return m_appearance;
}

QCoro::Task<DrawnLabel> PrintService::drawLabel(QList<AnyLabelView> pages, LabelMedia media,
                                                Orientation orientation, LabelColorMode colorMode)
{
    return m_drawing.draw(std::move(pages), std::move(media), orientation, colorMode);
}

QSizeF PrintService::templatePageSizeInches(double widthInches, double heightInches, bool isSquareShape)
{
    if (!isSquareShape)
        return {widthInches, heightInches};
    const double side = std::min(widthInches, heightInches);
    return {side, side};
}

void PrintService::changeActivePrints(PrintService *service, int delta)
{
    service->m_activePrints += delta;
    service->setIsPrinting(service->m_activePrints > 0);
}

QCoro::Task<PrintResult> PrintService::printImage(QString printer, QByteArray png, LabelMedia media)
{
    PrintingScope scope(this, &PrintService::changeActivePrints);
    setLastError(std::nullopt);
    // A ready bitmap already carries its turn; the adapter reads only the medium.
    QCoro::Task<PrintResult> submission =
        submitImage(std::move(printer), std::move(png), std::move(media), Orientation::landscape);
    PrintResult result = co_await std::move(submission);
    co_return result;
}

QCoro::Task<PrintResult> PrintService::submitImage(QString printer, QByteArray png, LabelMedia media,
                                                   Orientation orientation)
{
    QPointer<PrintService> self(this);
    PrintKitAdapter *adapter = &m_adapter;
    const QString printerName = printer;
    QCoro::Task<PrintResult> submission =
        adapter->printImage(std::move(printer), std::move(png), std::move(media), orientation, 1);
    PrintResult result = co_await std::move(submission);
    if (!self)
        co_return result;
    if (result.ok) {
        qCInfo(lcPrintService, "Print job sent to %s", qUtf8Printable(printerName));
    } else {
        setLastError(result.message);
        qCCritical(lcPrintService, "Print failed: %s", qUtf8Printable(result.message));
    }
    co_return result;
}

QCoro::Task<PrintResult> PrintService::printPages(QString printer, QList<AnyLabelView> pages,
                                                  LabelMedia media, Orientation orientation,
                                                  LabelColorMode colorMode, bool isPackingSlip)
{
    QPointer<PrintService> self(this);
    const qsizetype count = pages.size();
    for (qsizetype i = 0; i < count; ++i) {
        if (isPackingSlip)
            qCInfo(lcPrintService, "Printing grouped page %lld of %lld", qlonglong(i + 1), qlonglong(count));

        QList<AnyLabelView> page{pages.at(i)};
        LabelMedia drawnMedia = media;
        QCoro::Task<DrawnLabel> drawing = drawLabel(std::move(page), std::move(drawnMedia), orientation, colorMode);
        DrawnLabel drawn = co_await std::move(drawing);
        if (!self)
            co_return PrintResult::failed(drawn.failure.value_or(kServiceGoneMessage));
        // Never hand the printer empty or half-made bytes.
        if (drawn.failure)
            co_return fail(*drawn.failure);
        QByteArray png = drawn.pngs.value(0);

        setLastError(std::nullopt);
        QString pagePrinter = printer;
        LabelMedia pageMedia = media;
        QCoro::Task<PrintResult> submission =
            submitImage(std::move(pagePrinter), std::move(png), std::move(pageMedia), orientation);
        PrintResult result = co_await std::move(submission);
        // Stop at this print's own failure, not at whatever another print left in lastError.
        if (!result.ok || !self)
            co_return result;
    }
    co_return PrintResult::succeeded();
}

QCoro::Task<PrintResult> PrintService::printCalibration(QString printer, LabelMedia media,
                                                        Orientation orientation)
{
    PrintingScope scope(this, &PrintService::changeActivePrints);
    setLastError(std::nullopt);
    if (const auto reason = media.unprintableReason())
        co_return fail(*reason);

    const QSizeF inches = labelSizeInches(media, orientation);
    QList<AnyLabelView> pages;
    pages.append(CalibrationLabelView(inches.width() * 72.0, inches.height() * 72.0, media.isCircular,
                                      kCalibrationCornerInset, kCalibrationMarkLength));
    const LabelColorMode colorMode = appearanceStore().colorMode();
    QCoro::Task<PrintResult> printing =
        printPages(std::move(printer), std::move(pages), std::move(media), orientation, colorMode, false);
    PrintResult result = co_await std::move(printing);
    co_return result;
}

QCoro::Task<PrintResult> PrintService::printLabel(QString printer, QString buyer, QList<GroupedItem> items,
                                                  Decimal total, QString showTitle, LabelVariant style,
                                                  LabelMedia media, Orientation orientation)
{
    LabelContent content =
        LabelContent::grouped(std::move(buyer), std::move(items), total, std::move(showTitle));
    QCoro::Task<PrintResult> printing =
        printContentPages(std::move(printer), std::move(content), style, std::move(media), orientation, true);
    PrintResult result = co_await std::move(printing);
    co_return result;
}

QCoro::Task<PrintResult> PrintService::printContent(QString printer, LabelContent content, LabelVariant style,
                                                    LabelMedia media, Orientation orientation)
{
    const bool isPackingSlip = content.as<LabelContent::Grouped>() != nullptr;
    QCoro::Task<PrintResult> printing = printContentPages(std::move(printer), std::move(content), style,
                                                          std::move(media), orientation, isPackingSlip);
    PrintResult result = co_await std::move(printing);
    co_return result;
}

QCoro::Task<PrintResult> PrintService::printContentPages(QString printer, LabelContent content,
                                                         LabelVariant style, LabelMedia media,
                                                         Orientation orientation, bool isPackingSlip)
{
    PrintingScope scope(this, &PrintService::changeActivePrints);
    setLastError(std::nullopt);

    // One appearance and one colour mode for every page of the label.
    const LabelAppearance appearance = appearanceStore().appearance();
    const LabelColorMode colorMode = appearanceStore().colorMode();
    QList<AnyLabelView> pages;
    QString layoutFailure;
    try {
        pages = content.pages(style, media, orientation, appearance, 1.0);
    } catch (const Error &error) {
        layoutFailure = error.message();
    }
    if (!layoutFailure.isEmpty())
        co_return fail(layoutFailure);

    QCoro::Task<PrintResult> printing = printPages(std::move(printer), std::move(pages), std::move(media),
                                                   orientation, colorMode, isPackingSlip);
    PrintResult result = co_await std::move(printing);
    co_return result;
}

QCoro::Task<PrintResult> PrintService::printTemplateHTML(QString printer, QString html, double widthInches,
                                                         double heightInches, bool isSquareShape)
{
    const QSizeF size = templatePageSizeInches(widthInches, heightInches, isSquareShape);
    PrintingScope scope(this, &PrintService::changeActivePrints);
    setLastError(std::nullopt);

    QPointer<PrintService> self(this);
    PrintKitAdapter *adapter = &m_adapter;
    const QString printerName = printer;
    QCoro::Task<PrintResult> submission =
        adapter->printHTML(std::move(printer), std::move(html), size.width(), size.height());
    PrintResult result = co_await std::move(submission);
    if (!self)
        co_return result;
    if (result.ok) {
        qCInfo(lcPrintService, "Custom label sent to %s", qUtf8Printable(printerName));
    } else {
        setLastError(result.message);
        qCCritical(lcPrintService, "Custom label print failed: %s", qUtf8Printable(result.message));
    }
    co_return result;
}

QCoro::Task<PrintResult> PrintService::printTemplate(QString printer, LabelTemplate labelTemplate,
                                                     TemplateVariables variables)
{
    const QString html = renderTemplateHTML(labelTemplate, variables);
    // The canvas size is already square for circles and squares.
    const QSizeF points = labelTemplate.canvasSize();
    co_return co_await printTemplateHTML(std::move(printer), html, points.width() / 72.0,
                                         points.height() / 72.0, false);
}

PrintResult PrintService::fail(const QString &message)
{
    setLastError(message);
    qCCritical(lcPrintService, "Print failed: %s", qUtf8Printable(message));
    return PrintResult::failed(message);
}

void PrintService::setIsPrinting(bool value)
{
    if (m_isPrinting == value)
        return;
    m_isPrinting = value;
    Q_EMIT isPrintingChanged(value);
}

void PrintService::setLastError(std::optional<QString> value)
{
    if (m_lastError == value)
        return;
    m_lastError = std::move(value);
    Q_EMIT lastErrorChanged(m_lastError);
}

} // namespace quill
