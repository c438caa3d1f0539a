#pragma once

#include "printing/label_media.h"
#include "printing/orientation.h"

#include <QWidget>

namespace quill {

// The small outline of a medium on its tile: a circle, or a rectangle of the
// medium's proportions (dashed for the seller's own sizes), turned to lie as the
// orientation says.
class LabelMediaShape final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelMediaShape)

public:
    static constexpr int kTurnMs = 250;

    LabelMediaShape(const LabelMedia &media, Orientation orientation, qreal maxDim,
                    QWidget *parent = nullptr);

    // The outline before turning: maxDim square for a circle, else maxDim on the
    // longer of width and height.
    static QSizeF boxSize(const LabelMedia &media, qreal maxDim);
    // A quarter turn when the medium's own lie differs from the orientation.
    static bool isTurned(const LabelMedia &media, Orientation orientation);

    void setMedia(const LabelMedia &media);
    void setOrientation(Orientation orientation);
    // The turn drawn, in degrees: 0 or 90 at rest.
    qreal angle() const { return m_angle; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    LabelMedia m_media;
    Orientation m_orientation;
    qreal m_maxDim;
    qreal m_angle;
};

} // namespace quill
