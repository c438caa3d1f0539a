#include "ui/designer/pinch_zoom.h"

#include <algorithm>
#include <cmath>

namespace quill {

double PinchZoom::zoomFor(double magnification) const
{
    const double start = m_startZoom.value_or(1.0);
    const double zoom = start * magnification;
    if (!std::isfinite(zoom))
        return start;
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

} // namespace quill
