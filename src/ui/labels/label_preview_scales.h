#pragma once

#include "printing/label_media.h"
#include "printing/orientation.h"

#include <QSizeF>

namespace quill {

// How large each card draws a label: points of the drawing per printed point.

// The label's size in points on this medium and orientation.
QSizeF labelSizePoints(const LabelMedia &media, Orientation orientation);
// The in-show card's thumbnails fit 200 × 260 points.
double inShowThumbnailScale(const LabelMedia &media, Orientation orientation);
// A section card's thumbnail is 300 points wide, and at most 450 high so that a tall
// custom label cannot stretch the card.
double sectionThumbnailScale(const LabelMedia &media, Orientation orientation);
// The preview sheet draws a label 400 points wide, at most three times its size;
// tall pages scroll.
double previewModalScale(const LabelMedia &media, Orientation orientation);

} // namespace quill
