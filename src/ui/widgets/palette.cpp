#include "ui/widgets/palette.h"

#include <QGuiApplication>
#include <QPalette>

namespace quill {

namespace {
QColor rgb(double red, double green, double blue)
{
    return QColor::fromRgbF(float(red), float(green), float(blue));
}
} // namespace

const QColor &appAccentColor()
{
    // The desktop's accent as the application sees it (the highlight role).
    static const QColor color = QGuiApplication::palette().color(QPalette::Highlight);
    return color;
}

const QColor &desktopTextColor()
{
    static const QColor color = QGuiApplication::palette().color(QPalette::WindowText);
    return color;
}

const QColor &appBackgroundColor()
{
    static const QColor color = rgb(0.008, 0.033, 0.099);
    return color;
}

const QColor &sidebarBackgroundColor()
{
    static const QColor color = rgb(0.016, 0.05, 0.118);
    return color;
}

const QColor &cardBackgroundColor()
{
    static const QColor color = rgb(0.027, 0.068, 0.137);
    return color;
}

const QColor &cardHighlightColor()
{
    static const QColor color = rgb(0.09, 0.123, 0.179);
    return color;
}

const QColor &brandGreenColor()
{
    static const QColor color = rgb(0, 0.608, 0.227);
    return color;
}

const QColor &attentionOrangeColor()
{
    static const QColor color = rgb(1.0, 0.6, 0.0);
    return color;
}

} // namespace quill
