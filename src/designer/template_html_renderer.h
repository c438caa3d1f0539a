#pragma once

#include "designer/label_template.h"
#include "designer/template_variables.h"

#include <QString>

namespace quill {

// A template as one self-contained HTML page the size of its label, which the print
// engine turns into a one-page PDF. Lengths are written in inches (points / 72), font
// sizes in points, so the page draws what the canvas draws. Nothing a template file
// holds can add markup or styles: texts are escaped, colours are written as parsed,
// font names as stripped CSS strings.

// The shortest text that reads back as the same double: "2.0", "0.1111111111111111",
// "-90.0"; exponent form below 0.0001 ("1e-05").
QString formatHTMLNumber(double value);

QString renderTemplateHTML(const LabelTemplate &labelTemplate, const TemplateVariables &variables);
QString renderElementHTML(const LabelElement &element, const TemplateVariables &variables);
QString renderTextElementHTML(const TextProperties &properties, const QString &style,
                              const TemplateVariables &variables);
// The CSS clip-path value of a label shape of W × H points; empty when none is needed.
QString labelClipPath(LabelShape shape, double width, double height);
QString wrapHTMLDocument(const QString &labelBox, double widthInches, double heightInches);

// The CSS font-family list of a stored family: the installed stand-in, the stored name,
// then sans-serif. Names are stripped of everything that could end a CSS string, a
// declaration or the attribute.
QString cssFontFamilyList(const QString &family);
// & < > " as entities, & first.
QString escapeHTML(const QString &text);

} // namespace quill
