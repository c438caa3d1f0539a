#pragma once

#include "printing/print_job.h"

#include <QAbstractItemView>
#include <QCache>
#include <QFont>
#include <QFontMetrics>
#include <QPixmap>
#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>

namespace quill {

class LabelAppearanceStore;

// A row of the print log: the label's thumbnail, the status icon and the job's label,
// the Winner or Box badge with the age, and the error of a failed job. Thumbnails are
// drawn by the print layout once per job and kept until the label appearance changes.
class PrintJobRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintJobRowDelegate)

public:
    static constexpr int kSidePadding = 12;
    static constexpr int kVerticalPadding = 6;
    static constexpr int kSpacing = 8;
    static constexpr int kThumbnailWidth = 50;
    static constexpr int kIconSize = 10;

    PrintJobRowDelegate(LabelAppearanceStore &appearance, QAbstractItemView *view);

    // The time ages are measured to.
    void setNow(std::function<QDateTime()> now) { m_now = std::move(now); }
    QDateTime now() const { return m_now(); }

    // min(50 / label width in points, 0.4).
    static double thumbnailScale(const PrintJob &job);
    // Thumbnails drawn since the appearance last changed.
    int thumbnailsDrawn() const { return m_drawn; }
    int cachedThumbnails() const { return m_thumbnails.count(); }

    // Turns the "printing" indicator on by one spoke.
    void advanceProgress() { m_progressStep = (m_progressStep + 1) % 8; }
    int progressStep() const { return m_progressStep; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintStatusIcon(QPainter &painter, const QRect &icon, PrintJob::Status::Kind kind) const;
    const PrintJob &jobOf(const QModelIndex &index) const;
    QPixmap thumbnail(const PrintJob &job, qreal dpr) const;
    QSize thumbnailSize(const PrintJob &job) const;
    int textHeight(const PrintJob &job) const;
    void dropThumbnails();

    LabelAppearanceStore &m_appearance;
    QPointer<QAbstractItemView> m_view;
    std::function<QDateTime()> m_now;
    QFont m_labelFont;
    QFont m_smallFont;
    QFont m_badgeFont;
    QFontMetrics m_labelMetrics;
    QFontMetrics m_smallMetrics;
    QFontMetrics m_badgeMetrics;
    mutable QCache<QString, QPixmap> m_thumbnails;
    mutable int m_drawn = 0;
    int m_progressStep = 0;
    mutable PrintJob m_other; // a job of another model, while it is drawn
};

} // namespace quill
