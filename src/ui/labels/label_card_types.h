#pragma once

#include "printing/label_appearance.h"
#include "printing/label_media.h"
#include "printing/layouts/any_label_view.h"
#include "printing/orientation.h"
#include "ui/labels/label_test_printer.h"

#include <QList>
#include <QString>
#include <functional>

namespace quill {

// What the Labels screen hands its cards besides the printer (label_test_printer.h):
// how they draw their pages and how they open the preview.

// The pages of a preview, each sized for the given scale (points per printed point).
using PageBuilder = std::function<QList<AnyLabelView>(double)>;
// Pages of a label type for a style, medium, orientation and scale.
using PageGenerator = std::function<QList<AnyLabelView>(LabelVariant, LabelMedia, Orientation, double)>;
// Opens the preview sheet with pages, medium, orientation and the label its print
// makes (empty: the preview offers no print).
using PreviewOpener = std::function<void(PageBuilder, LabelMedia, Orientation, LabelTestPrintReader)>;

// The pages a builder gives, or none when the medium cannot be laid out: a preview
// then stays empty instead of taking the screen down.
QList<AnyLabelView> pagesOrNone(const PageBuilder &builder, double scale);

} // namespace quill
