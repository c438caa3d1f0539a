#pragma once

#include "common/error.h"
#include "designer/label_template.h"

#include <QByteArray>
#include <QStringList>

namespace quill {

// A template that cannot be written: a number that is not finite or a value outside
// the template limits. The message names the key path.
class TemplateEncodeError : public Error
{
public:
    using Error::Error;
};

// The template file: pretty-printed JSON with keys in field order, dates as internet
// date-times in UTC with whole seconds. Throws TemplateEncodeError.
QByteArray encodeLabelTemplate(const LabelTemplate &labelTemplate);

// Reads a template file strictly: every key but `imageData` is required, unknown keys
// are ignored. Throws json::DecodeError naming the key path and the reason. Values the
// reader mends instead of refusing (a grid finer than the limit) are described in
// `adjustments` when given.
LabelTemplate decodeLabelTemplate(const QByteArray &bytes, QStringList *adjustments = nullptr);

// "The template would take 34.1 MB; a template file may hold at most 32 MB."
QString templateFileTooLarge(qint64 bytes);

// Why a template breaks the template limits ("labelSize.widthInches: ..."), or nothing.
std::optional<QString> templateLimitViolation(const LabelTemplate &labelTemplate);

} // namespace quill
