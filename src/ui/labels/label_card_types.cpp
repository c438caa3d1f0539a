#include "ui/labels/label_card_types.h"

#include "common/error.h"

#include <QLoggingCategory>

namespace quill {

namespace {
Q_LOGGING_CATEGORY(lcLabelPreview, "app.quillmark.Quillmark.LabelPreview")
} // namespace

QList<AnyLabelView> pagesOrNone(const PageBuilder &builder, double scale)
{
    if (!builder)
        return {};
    try {
        return builder(scale);
    } catch (const std::exception &error) {
        qCWarning(lcLabelPreview, "Label preview not drawn: %s", qUtf8Printable(errorMessage(error)));
        return {};
    }
}

} // namespace quill
