#pragma once

#include <optional>

namespace quill {

// A pinch scales the zoom it started at: every step sets start zoom × the gesture's
// magnification since its start, within the canvas's zoom range, so steps never compound.
class PinchZoom final
{
public:
    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 4.0;

    void begin(double zoomScale) { m_startZoom = zoomScale; }
    bool isActive() const { return m_startZoom.has_value(); }
    // The zoom for a magnification measured from the start of the pinch.
    double zoomFor(double magnification) const;
    void end() { m_startZoom.reset(); }

private:
    std::optional<double> m_startZoom;
};

} // namespace quill
