#include "ui/widgets/separator_line.h"

#include "ui/widgets/style.h"

#include <QFrame>

namespace quill {

QFrame *separatorLine(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    QColor color = secondaryTextColor();
    color.setAlphaF(0.3f);
    palette.setColor(QPalette::WindowText, color);
    line->setPalette(palette);
    return line;
}

} // namespace quill
