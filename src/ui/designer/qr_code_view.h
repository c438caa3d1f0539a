#pragma once

#include "designer/label_template.h"

#include <QRectF>
#include <QString>

class QPainter;

namespace quill {

// A QR code fitted square into a rectangle, module edges kept sharp; the code is made
// at every drawing, module for module as the page prints it. Content that gives no code shows the
// QR placeholder instead.
class QRCodeView final
{
public:
    QRCodeView(const QString &content, QRCorrectionLevel correctionLevel);

    void paint(QPainter &painter, const QRectF &rect) const;

private:
    QString m_content;
    QRCorrectionLevel m_correctionLevel;
};

} // namespace quill
