#pragma once

#include "ui/history/batch_print_run.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class QComboBox;
class QLayout;
class QVBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace quill {

class PrintKitAdapter;
class SegmentedControl;
class Settings;

struct BatchPrintDialogSetup
{
    QList<ServerAuction> auctions;
    QList<ShowBuyerGroup> buyerGroups;
    QHash<QString, int> boxNumbers;
    QString showTitle;
    BatchPrintType initialType = BatchPrintType::individualLabels;
    PrintKitAdapter *printAdapter = nullptr;
    std::shared_ptr<ShowPrinter> printer;
    Settings *settings = nullptr;
    QObject *runOwner = nullptr; // outlives the dialog; the run's parent
};

// "Print All": the kind of output and the printer, then one run of every listed
// label or slip with its progress. Closing the dialog leaves the run printing; a run
// with failures keeps the dialog open with how many failed and why.
class BatchPrintDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchPrintDialog)

public:
    explicit BatchPrintDialog(BatchPrintDialogSetup setup, QWidget *parent = nullptr);
    ~BatchPrintDialog() override;

    BatchPrintType printType() const { return m_type; }
    void setPrintType(BatchPrintType type);
    // The chosen queue name; empty: none.
    const QString &selectedPrinter() const { return m_selectedPrinter; }
    void setSelectedPrinter(const QString &printer);
    QString summaryText() const;
    QString failureText() const;
    bool isPrinting() const { return m_run != nullptr; }
    BatchPrintRun *run() const { return m_run; }

    // Starts the run (the Print button).
    void startPrinting();
    // For the screens: the progress line as a run shows it.
    void showProgress(int progress, int total);

Q_SIGNALS:
    void runStarted(quill::BatchPrintRun *run);

private:
    // The dialog's parts, top to bottom, built once by the constructor.
    QLayout *buildHeader();
    QLayout *buildTypeSection();
    QWidget *buildPrinterSection();
    // The summary of what prints and the line of a failure under it.
    void buildSummary(QVBoxLayout *content);
    QWidget *buildActions();
    void rebuildPrinterSection();
    void refresh();
    void runFinished(int failed, const QString &failureText);

    BatchPrintDialogSetup m_setup;
    BatchPrintType m_type;
    QString m_selectedPrinter;
    QPointer<BatchPrintRun> m_run;
    bool m_showingProgress = false;

    SegmentedControl *m_typePicker;
    QWidget *m_printerSection;
    QLabel *m_noPrinters;
    QLabel *m_singlePrinter;
    QComboBox *m_printerPicker;
    QLabel *m_summary;
    QLabel *m_failure;
    QStackedWidget *m_actionStack;
    QPushButton *m_printButton;
    QProgressBar *m_progressBar;
    QLabel *m_progressText;
};

} // namespace quill
