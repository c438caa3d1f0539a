#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>

namespace quill::test {

// Writes <build>/screens/<name>.png.
inline bool saveScreen(const QImage &image, const QString &name)
{
    QDir().mkpath(QStringLiteral(QUILLMARK_SCREENS_DIR));
    return image.save(QStringLiteral(QUILLMARK_SCREENS_DIR) + QLatin1Char('/') + name +
                      QStringLiteral(".png"));
}

// Lays the widget out at `size`, paints it and writes <build>/screens/<name>.png.
// Returns the picture for geometry and pixel checks.
inline QImage captureScreen(QWidget &widget, const QSize &size, const QString &name)
{
    widget.resize(size);
    widget.show();
    QImage image = widget.grab().toImage();
    saveScreen(image, name);
    return image;
}

} // namespace quill::test
