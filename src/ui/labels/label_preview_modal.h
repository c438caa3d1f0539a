#pragma once

#include "ui/labels/label_card_types.h"
#include "ui/widgets/label_page_column.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;

namespace quill {

class Spinner;

// The preview sheet: every page of a label or packing slip, 400 points wide (at most
// three times the print size), one under the other, with an optional "Test Print"
// of the same content. It shows whatever its page builder gives for that scale.
class LabelPreviewModal final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelPreviewModal)

public:
    // `onDismiss` runs on "Close" before the sheet closes; the print button prints the
    // label `onPrint` reads on `printer`, and without either there is none.
    LabelPreviewModal(PageBuilder pageBuilder, LabelMedia media, Orientation orientation,
                      std::function<void()> onDismiss, QPointer<LabelTestPrinter> printer,
                      LabelTestPrintReader onPrint, QWidget *parent = nullptr);
    ~LabelPreviewModal() override;

    double scale() const;
    // Builds the pages again, as the builder gives them now.
    void reload();

    bool isPrinting() const { return m_isPrinting; }
    const QList<LabelPageView *> &pageViews() const { return m_pages->pageViews(); }
    QLabel *pageCountLabel() const { return m_pageCount; }
    QPushButton *printButton() const { return m_printButton; }
    Spinner *spinner() const { return m_spinner; }
    QPushButton *closeButton() const { return m_closeButton; }

private:
    void testPrint();
    void setPrinting(bool printing);

    PageBuilder m_pageBuilder;
    LabelMedia m_media;
    Orientation m_orientation;
    std::function<void()> m_onDismiss;
    QPointer<LabelTestPrinter> m_printer;
    LabelTestPrintReader m_onPrint;
    bool m_isPrinting = false;

    QLabel *m_pageCount;
    QPushButton *m_printButton = nullptr;
    Spinner *m_spinner = nullptr;
    QPushButton *m_closeButton;
    LabelPageColumn *m_pages;
};

} // namespace quill
