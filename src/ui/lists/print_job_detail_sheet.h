#pragma once

#include "printing/label_appearance.h"
#include "printing/print_job.h"

#include <QDialog>
#include <QList>
#include <QPair>

class QPushButton;

namespace quill {

class LabelPageView;

// Everything a print job carries: its settings and state, the content field by field,
// and its first page drawn with the job's own style, medium and orientation. The sheet
// shows a copy of the job taken when it opened; it changes nothing.
class PrintJobDetailSheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintJobDetailSheet)

public:
    static constexpr int kMinimumWidth = 560;
    static constexpr int kMinimumHeight = 300;

    using Rows = QList<QPair<QString, QString>>;

    // Deletes itself when closed.
    PrintJobDetailSheet(PrintJob job, const LabelAppearance &appearance, QWidget *parent = nullptr);

    // "Label", "Type", "Style", "Media", "Orientation", "Status" and, for a failed job, "Error".
    static Rows jobRows(const PrintJob &job);
    // The content's fields by its case.
    static Rows contentRows(const LabelContent &content);
    // min(280 / width, 360 / height) of the label in points, at most 2.5.
    static double previewScale(const LabelMedia &media, Orientation orientation);

    const PrintJob &job() const { return m_job; }
    // Null when the job gives no page.
    LabelPageView *pageView() const { return m_page; }
    QPushButton *closeButton() const { return m_close; }

private:
    PrintJob m_job;
    LabelPageView *m_page = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace quill
