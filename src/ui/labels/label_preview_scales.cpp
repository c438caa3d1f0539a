#include "ui/labels/label_preview_scales.h"

#include <algorithm>

namespace quill {

QSizeF labelSizePoints(const LabelMedia &media, Orientation orientation)
{
    return labelSizeInches(media, orientation) * 72.0;
}

double inShowThumbnailScale(const LabelMedia &media, Orientation orientation)
{
    const QSizeF size = labelSizePoints(media, orientation);
    return std::min(200.0 / size.width(), 260.0 / size.height());
}

double sectionThumbnailScale(const LabelMedia &media, Orientation orientation)
{
    const QSizeF size = labelSizePoints(media, orientation);
    return std::min(300.0 / size.width(), 450.0 / size.height());
}

double previewModalScale(const LabelMedia &media, Orientation orientation)
{
    return std::min(400.0 / labelSizePoints(media, orientation).width(), 3.0);
}

} // namespace quill
