#include "ui/history/batch_print_dialog.h"

#include "printing/print_kit_adapter.h"
#include "printing/printer_info.h"
#include "ui/widgets/metrics.h"
#include "ui/widgets/separator_line.h"
#include "ui/widgets/segmented_control.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace quill {

BatchPrintDialog::BatchPrintDialog(BatchPrintDialogSetup setup, QWidget *parent)
    : QDialog(parent), m_setup(std::move(setup)), m_type(m_setup.initialType)
{
    setObjectName(QStringLiteral("batchPrintDialog"));
    setWindowTitle(QStringLiteral("Print All"));
    setMinimumSize(340, 300);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addLayout(buildHeader());
    layout->addWidget(separatorLine(this));

    auto *content = new QVBoxLayout;
    content->setContentsMargins(metrics::insets(metrics::large));
    content->setSpacing(metrics::large);

    content->addLayout(buildTypeSection());
    content->addWidget(buildPrinterSection());
    buildSummary(content);
    content->addWidget(buildActions());

    layout->addLayout(content);
    layout->addStretch(1);

    // The only automatic choice: the first listed printer when the dialog opens.
    if (m_setup.printAdapter) {
        if (!m_setup.printAdapter->printers().isEmpty())
            m_selectedPrinter = m_setup.printAdapter->printers().first().name;
        connect(m_setup.printAdapter, &PrintKitAdapter::printersChanged, this, [this] {
            rebuildPrinterSection();
            refresh();
        });
    }
    rebuildPrinterSection();
    refresh();
}

QLayout *BatchPrintDialog::buildHeader()
{
    auto *header = new QHBoxLayout;
    header->setContentsMargins(metrics::insets(metrics::large));
    header->addWidget(styledLabel(QStringLiteral("Print All"), textFont(TextStyle::headline), primaryTextColor(), this));
    header->addStretch(1);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    header->addWidget(cancel);
    return header;
}

QLayout *BatchPrintDialog::buildTypeSection()
{
    auto *typeSection = new QVBoxLayout;
    typeSection->setSpacing(metrics::xSmall);
    typeSection->addWidget(
        styledLabel(QStringLiteral("Print Type"), textFont(TextStyle::subheadline), secondaryTextColor(), this));
    m_typePicker = new SegmentedControl(this);
    m_typePicker->setObjectName(QStringLiteral("printTypePicker"));
    m_typePicker->addSegment(batchPrintTypeText(BatchPrintType::individualLabels));
    m_typePicker->addSegment(batchPrintTypeText(BatchPrintType::packingSlips));
    m_typePicker->setCurrentIndex(m_type == BatchPrintType::packingSlips ? 1 : 0);
    connect(m_typePicker, &SegmentedControl::currentChanged, this, [this](int index) {
        setPrintType(index == 1 ? BatchPrintType::packingSlips : BatchPrintType::individualLabels);
    });
    typeSection->addWidget(m_typePicker, 0, Qt::AlignLeft);
    return typeSection;
}

QWidget *BatchPrintDialog::buildPrinterSection()
{
    m_printerSection = new QWidget(this);
    auto *printerLayout = new QVBoxLayout(m_printerSection);
    printerLayout->setContentsMargins(0, 0, 0, 0);
    printerLayout->setSpacing(metrics::xSmall);
    printerLayout->addWidget(styledLabel(QStringLiteral("Printer"), textFont(TextStyle::subheadline),
                                         secondaryTextColor(), m_printerSection));
    m_noPrinters = styledLabel(QStringLiteral("No printers available"), textFont(TextStyle::subheadline),
                               systemColor(SystemColor::red), m_printerSection);
    m_noPrinters->setObjectName(QStringLiteral("noPrinters"));
    m_singlePrinter = styledLabel(QString(), textFont(TextStyle::subheadline), primaryTextColor(), m_printerSection);
    m_singlePrinter->setObjectName(QStringLiteral("singlePrinter"));
    m_singlePrinter->setTextFormat(Qt::PlainText);
    m_printerPicker = new QComboBox(m_printerSection);
    m_printerPicker->setObjectName(QStringLiteral("printerPicker"));
    connect(m_printerPicker, &QComboBox::activated, this,
            [this](int index) { setSelectedPrinter(m_printerPicker->itemData(index).toString()); });
    printerLayout->addWidget(m_noPrinters);
    printerLayout->addWidget(m_singlePrinter);
    printerLayout->addWidget(m_printerPicker);
    return m_printerSection;
}

void BatchPrintDialog::buildSummary(QVBoxLayout *content)
{
    m_summary = styledLabel(QString(), textFont(TextStyle::subheadline), secondaryTextColor(), this);
    m_summary->setObjectName(QStringLiteral("batchSummary"));
    m_summary->setContentsMargins(metrics::insets(metrics::compact));
    m_summary->setAutoFillBackground(true);
    QPalette summaryPalette = m_summary->palette();
    QColor fill = quaternaryFillColor();
    fill.setAlphaF(fill.alphaF() * 0.5f);
    summaryPalette.setColor(QPalette::Window, fill);
    m_summary->setPalette(summaryPalette);
    content->addWidget(m_summary);

    m_failure = styledLabel(QString(), textFont(TextStyle::caption), systemColor(SystemColor::red), this);
    m_failure->setObjectName(QStringLiteral("batchFailure"));
    m_failure->setWordWrap(true);
    m_failure->setTextFormat(Qt::PlainText);
    m_failure->hide();
    content->addWidget(m_failure);
}

QWidget *BatchPrintDialog::buildActions()
{
    m_actionStack = new QStackedWidget(this);
    m_printButton = new QPushButton(symbolIcon(QStringLiteral("printer")), QStringLiteral("Print"), m_actionStack);
    m_printButton->setObjectName(QStringLiteral("printButton"));
    m_printButton->setDefault(true);
    m_printButton->setMinimumHeight(32);
    connect(m_printButton, &QPushButton::clicked, this, &BatchPrintDialog::startPrinting);
    auto *progressBox = new QWidget(m_actionStack);
    auto *progressLayout = new QVBoxLayout(progressBox);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressLayout->setSpacing(metrics::small);
    m_progressBar = new QProgressBar(progressBox);
    m_progressBar->setObjectName(QStringLiteral("batchProgress"));
    m_progressBar->setTextVisible(false);
    m_progressText = styledLabel(QString(), textFont(TextStyle::caption), secondaryTextColor(), progressBox);
    m_progressText->setObjectName(QStringLiteral("batchProgressText"));
    m_progressText->setAlignment(Qt::AlignCenter);
    progressLayout->addWidget(m_progressBar);
    progressLayout->addWidget(m_progressText);
    m_actionStack->addWidget(m_printButton);
    m_actionStack->addWidget(progressBox);
    return m_actionStack;
}

BatchPrintDialog::~BatchPrintDialog() = default;

void BatchPrintDialog::setPrintType(BatchPrintType type)
{
    m_type = type;
    m_typePicker->setCurrentIndex(type == BatchPrintType::packingSlips ? 1 : 0);
    refresh();
}

void BatchPrintDialog::setSelectedPrinter(const QString &printer)
{
    m_selectedPrinter = printer;
    refresh();
}

QString BatchPrintDialog::summaryText() const
{
    return batchSummaryText(m_type, m_type == BatchPrintType::packingSlips ? m_setup.buyerGroups.size()
                                                                            : m_setup.auctions.size());
}

QString BatchPrintDialog::failureText() const
{
    return m_failure->isHidden() ? QString() : m_failure->text();
}

void BatchPrintDialog::rebuildPrinterSection()
{
    const QList<PrinterInfo> printers =
        m_setup.printAdapter ? m_setup.printAdapter->printers() : QList<PrinterInfo>();
    m_noPrinters->setVisible(printers.isEmpty());
    m_singlePrinter->setVisible(printers.size() == 1);
    m_printerPicker->setVisible(printers.size() > 1);
    if (printers.size() == 1)
        m_singlePrinter->setText(printerDisplayName(printers.first().name));
    m_printerPicker->clear();
    if (printers.size() > 1) {
        m_printerPicker->addItem(QStringLiteral("None"), QString());
        for (const PrinterInfo &printer : printers)
            m_printerPicker->addItem(printerDisplayName(printer.name), printer.name);
        const int current = m_printerPicker->findData(m_selectedPrinter);
        m_printerPicker->setCurrentIndex(current < 0 ? 0 : current);
    }
}

void BatchPrintDialog::refresh()
{
    m_summary->setText(summaryText());
    m_printButton->setEnabled(!m_selectedPrinter.isEmpty());
    m_actionStack->setCurrentIndex(m_run || m_showingProgress ? 1 : 0);
}

void BatchPrintDialog::showProgress(int progress, int total)
{
    m_showingProgress = true;
    m_progressBar->setRange(0, std::max(total, 1));
    m_progressBar->setValue(progress);
    m_progressText->setText(QString::asprintf("%d/%d", progress, total));
    refresh();
}

void BatchPrintDialog::startPrinting()
{
    if (m_selectedPrinter.isEmpty() || m_run || !m_setup.printer || !m_setup.settings)
        return;
    BatchPrintJobs jobs;
    jobs.type = m_type;
    jobs.printer = m_selectedPrinter;
    jobs.auctions = m_setup.auctions;
    jobs.buyerGroups = m_setup.buyerGroups;
    jobs.boxNumbers = m_setup.boxNumbers;
    jobs.showTitle = m_setup.showTitle;
    auto *run = new BatchPrintRun(std::move(jobs), m_setup.printer, *m_setup.settings, m_setup.runOwner);
    m_run = run;
    m_failure->hide();
    // The dialog is the context: once it is gone the run reports to nobody.
    connect(run, &BatchPrintRun::progressChanged, this, &BatchPrintDialog::showProgress);
    connect(run, &BatchPrintRun::finished, this,
            [this, run] { runFinished(run->failedCount(), run->failureText()); });
    showProgress(0, run->total());
    Q_EMIT runStarted(run);
    run->start();
}

void BatchPrintDialog::runFinished(int failed, const QString &failureText)
{
    m_run = nullptr;
    m_showingProgress = false;
    if (failed == 0) {
        refresh();
        accept();
        return;
    }
    m_failure->setText(failureText);
    m_failure->show();
    refresh();
}

} // namespace quill
