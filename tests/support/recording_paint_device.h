#pragma once

// A paint device that draws nothing: its engine, which the test gives, keeps what a
// painter asks of it. Of a given size in pixels and a given resolution.

#include <QPaintDevice>
#include <QPaintEngine>
#include <QSize>
#include <limits>

namespace quill::testing {

template <typename Engine> class RecordingPaintDevice : public QPaintDevice
{
public:
    RecordingPaintDevice(QSize size, int dpi) : m_size(size), m_dpi(dpi) {}

    QPaintEngine *paintEngine() const override { return &m_engine; }
    Engine &engine() { return m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return qRound(m_size.width() * 25.4 / m_dpi);
        case PdmHeightMM:
            return qRound(m_size.height() * 25.4 / m_dpi);
        case PdmNumColors:
            return std::numeric_limits<int>::max();
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_size;
    int m_dpi;
    mutable Engine m_engine;
};

} // namespace quill::testing
