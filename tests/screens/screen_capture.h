#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>

namespace quill::test {

// Lays the widget out at `size`, paints it and writes <build>/screens/<name>.png.
// Returns the picture for geometry and pixel checks.
inline QImage captureScreen(QWidget &widget, const QSize &size, const QString &name)
{
    widget.resize(size);
    widget.show();
    QImage image = widget.grab().toImage();
    QDir().mkpath(QStringLiteral(QUILLMARK_SCREENS_DIR));
    image.save(QStringLiteral(QUILLMARK_SCREENS_DIR) + QLatin1Char('/') + name + QStringLiteral(".png"));
    return image;
}

} // namespace quill::test
