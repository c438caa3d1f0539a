#include "ui/lists/print_job_row_delegate.h"

#include "printing/label_appearance_store.h"
#include "ui/lists/live_list_roles.h"
#include "ui/lists/live_list_texts.h"
#include "ui/lists/live_row_labels.h"
#include "ui/lists/print_log_model.h"
#include "ui/widgets/label_page_view.h"
#include "ui/widgets/label_preview_view.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <limits>

namespace quill {

namespace {

constexpr int kLineSpacing = 2;
constexpr int kIconTextSpacing = 4;
constexpr int kBadgePadX = 4;
constexpr int kBadgePadY = 1;
// Thumbnails kept at once: far more than a panel shows.
constexpr int kThumbnailCacheSize = 400;

QString badgeText(LabelType type)
{
    return type == LabelType::box ? QStringLiteral("Box") : QStringLiteral("Winner");
}

QColor badgeColor(LabelType type)
{
    return systemColor(type == LabelType::box ? SystemColor::purple : SystemColor::blue);
}

// The mini progress indicator of a job being printed, drawn still: rows are not animated.
// Eight spokes, the leading one brightest; `step` turns it round.
void paintProgress(QPainter &painter, const QRectF &box, int step)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = box.center();
    const qreal outer = box.width() / 2.0;
    for (int spoke = 0; spoke < 8; ++spoke) {
        const qreal angle = spoke * M_PI / 4.0;
        QColor color = secondaryTextColor();
        const int age = (step - spoke + 8 + 7) % 8; // 0 for the leading spoke
        color.setAlphaF(float(0.25 + 0.75 * (7 - age) / 7.0));
        painter.setPen(QPen(color, 1.2, Qt::SolidLine, Qt::RoundCap));
        const QPointF direction(std::sin(angle), -std::cos(angle));
        painter.drawLine(centre + direction * outer * 0.45, centre + direction * outer);
    }
    painter.restore();
}

} // namespace

const PrintJob &PrintJobRowDelegate::jobOf(const QModelIndex &index) const
{
    // The log's own model hands its job over without a copy.
    if (const auto *log = qobject_cast<const PrintLogModel *>(index.model()))
        return log->jobAt(index.row());
    m_other = index.data(LiveListRoles::printJob).value<PrintJob>();
    return m_other;
}

PrintJobRowDelegate::PrintJobRowDelegate(LabelAppearanceStore &appearance, QAbstractItemView *view)
    : QStyledItemDelegate(view), m_appearance(appearance), m_view(view),
      m_now([] { return QDateTime::currentDateTimeUtc(); }),
      m_labelFont(textFont(TextStyle::caption, QFont::Medium)), m_smallFont(systemFont(9)),
      m_badgeFont(systemFont(9, QFont::Medium)), m_labelMetrics(m_labelFont), m_smallMetrics(m_smallFont),
      m_badgeMetrics(m_badgeFont), m_thumbnails(kThumbnailCacheSize)
{
    connect(&appearance, &LabelAppearanceStore::fontChoiceChanged, this,
            &PrintJobRowDelegate::dropThumbnails);
    connect(&appearance, &LabelAppearanceStore::colorModeChanged, this, &PrintJobRowDelegate::dropThumbnails);
    connect(&appearance, &LabelAppearanceStore::styleChanged, this, &PrintJobRowDelegate::dropThumbnails);
    connect(&appearance, &LabelAppearanceStore::logoImageChanged, this, &PrintJobRowDelegate::dropThumbnails);
}

void PrintJobRowDelegate::dropThumbnails()
{
    m_thumbnails.clear();
    m_drawn = 0;
    if (m_view)
        m_view->viewport()->update();
}

double PrintJobRowDelegate::thumbnailScale(const PrintJob &job)
{
    return fitLabelScale(job.labelMedia, job.orientation, kThumbnailWidth,
                         std::numeric_limits<double>::infinity(), 0.4);
}

QSize PrintJobRowDelegate::thumbnailSize(const PrintJob &job) const
{
    const double scale = thumbnailScale(job);
    const QSizeF inches = labelSizeInches(job.labelMedia, job.orientation);
    const QSizeF points = inches * 72.0 * scale;
    if (!(std::isfinite(points.width()) && std::isfinite(points.height())) || points.width() <= 0 ||
        points.height() <= 0 || points.width() > 1000 || points.height() > 1000)
        return QSize(kThumbnailWidth, kThumbnailWidth / 2);
    return QSize(int(std::ceil(points.width())), int(std::ceil(points.height())));
}

QPixmap PrintJobRowDelegate::thumbnail(const PrintJob &job, qreal dpr) const
{
    const QString key = job.id + QLatin1Char('@') + QString::number(dpr);
    if (QPixmap *cached = m_thumbnails.object(key))
        return *cached;
    const QSize size = thumbnailSize(job);
    QPixmap pixmap(size * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    // The label preview's own picture at the thumbnail's scale, then put in a rounded
    // frame with a faint outline: drawn through the rounded clip itself, its text would
    // come out a shade different from the preview's.
    const LabelPreview preview(job.content, job.style, job.labelMedia, job.orientation, thumbnailScale(job),
                               m_appearance.appearance());
    QPixmap picture(size * dpr);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::transparent);
    QPainter picturePainter(&picture);
    const bool painted = preview.paint(picturePainter);
    picturePainter.end();
    QPainter painter(&pixmap);
    paintInFrame(painter, preview.pageSize(), LabelPageFrame::forMedium(false, 0.2, 0.5), [&](QPainter &inside) {
        inside.drawPixmap(0, 0, picture);
        return painted;
    });
    ++m_drawn;
    m_thumbnails.insert(key, new QPixmap(pixmap));
    return pixmap;
}

int PrintJobRowDelegate::textHeight(const PrintJob &job) const
{
    const int first = std::max(m_labelMetrics.height(), kIconSize);
    const int second = std::max(m_badgeMetrics.height() + 2 * kBadgePadY, m_smallMetrics.height());
    int height = first + kLineSpacing + second;
    if (job.status.isError())
        height += kLineSpacing + m_smallMetrics.height();
    return height;
}

QSize PrintJobRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const PrintJob &job = jobOf(index);
    const int content = std::max(thumbnailSize(job).height(), textHeight(job));
    return {2 * kSidePadding + kThumbnailWidth + 150, content + 2 * kVerticalPadding + 1};
}

void PrintJobRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const PrintJob &job = jobOf(index);
    const QRect row = option.rect;
    const QRect content = row.adjusted(kSidePadding, kVerticalPadding, -kSidePadding, -kVerticalPadding - 1);
    painter->save();

    const QSize thumbSize = thumbnailSize(job);
    const QPoint thumbAt(content.left(), content.center().y() - thumbSize.height() / 2 + 1);
    painter->drawPixmap(thumbAt, thumbnail(job, painter->device()->devicePixelRatioF()));

    const int left = content.left() + std::max(thumbSize.width(), 0) + kSpacing;
    const int width = std::max(0, content.right() - left + 1);
    int top = content.center().y() - textHeight(job) / 2 + 1;

    // Status and label.
    const int firstHeight = std::max(m_labelMetrics.height(), kIconSize);
    const QRect icon(left, top + (firstHeight - kIconSize) / 2, kIconSize, kIconSize);
    paintStatusIcon(*painter, icon, job.status.kind);
    const int labelLeft = icon.right() + 1 + kIconTextSpacing;
    const QRect label(labelLeft, top, std::max(0, content.right() - labelLeft + 1), firstHeight);
    painter->setFont(m_labelFont);
    painter->setPen(primaryTextColor());
    painter->drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                      m_labelMetrics.elidedText(oneLine(job.label), Qt::ElideRight, label.width()));
    top += firstHeight + kLineSpacing;

    // Badge and age.
    const int secondHeight = std::max(m_badgeMetrics.height() + 2 * kBadgePadY, m_smallMetrics.height());
    const QString badge = badgeText(job.labelType);
    const int badgeWidth = m_badgeMetrics.horizontalAdvance(badge) + 2 * kBadgePadX;
    const int badgeHeight = m_badgeMetrics.height() + 2 * kBadgePadY;
    const QRect badgeBox(left, top + (secondHeight - badgeHeight) / 2, badgeWidth, badgeHeight);
    QColor fill = badgeColor(job.labelType);
    fill.setAlphaF(0.12);
    painter->setRenderHint(QPainter::Antialiasing);
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(badgeBox), 3, 3);
    painter->fillPath(capsule, fill);
    painter->setFont(m_badgeFont);
    painter->setPen(badgeColor(job.labelType));
    painter->drawText(badgeBox, Qt::AlignCenter, badge);
    const QRect age(badgeBox.right() + 1 + kIconTextSpacing, top,
                    std::max(0, content.right() - badgeBox.right()), secondHeight);
    painter->setFont(m_smallFont);
    painter->setPen(tertiaryTextColor());
    painter->drawText(age, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                      ageText(job.timestamp, now()));
    top += secondHeight + kLineSpacing;

    // The failure, on one line.
    if (job.status.isError()) {
        const QRect error(left, top, width, m_smallMetrics.height());
        painter->setPen(systemColor(SystemColor::red));
        painter->drawText(
            error, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
            m_smallMetrics.elidedText(oneLine(job.status.message), Qt::ElideRight, error.width()));
    }

    painter->setPen(quaternaryFillColor());
    painter->drawLine(row.left() + kSidePadding, row.bottom(), row.right(), row.bottom());
    painter->restore();
}

// The job's state: a clock while queued, progress while printing, a tick or a cross at the end.
void PrintJobRowDelegate::paintStatusIcon(QPainter &painter, const QRect &icon, PrintJob::Status::Kind kind) const
{
    const qreal dpr = painter.device()->devicePixelRatioF();
    switch (kind) {
    case PrintJob::Status::Kind::queued:
        painter.drawPixmap(
            icon, symbolPixmap(QStringLiteral("clock"), kIconSize, systemColor(SystemColor::orange), dpr));
        break;
    case PrintJob::Status::Kind::printing:
        paintProgress(painter, QRectF(icon), m_progressStep);
        break;
    case PrintJob::Status::Kind::done:
        painter.drawPixmap(
            icon, symbolPixmap(QStringLiteral("checkmark.circle.fill"), kIconSize, brandGreenColor(), dpr));
        break;
    case PrintJob::Status::Kind::error:
        painter.drawPixmap(icon, symbolPixmap(QStringLiteral("xmark.circle.fill"), kIconSize,
                                               systemColor(SystemColor::red), dpr));
        break;
    }
}

} // namespace quill
