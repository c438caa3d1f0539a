#pragma once

// The longest the GUI thread's event loop went without a turn while a piece of work
// ran: a 1 ms precise timer notes the gap between two of its ticks. A gap well over
// 1 ms is a stall the seller would feel as a frozen window.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>

class StallMeter final
{
public:
    StallMeter()
    {
        m_ticker.setTimerType(Qt::PreciseTimer);
        m_ticker.setInterval(1);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            m_longestMs = std::max(m_longestMs, double(m_sinceTick.nsecsElapsed()) / 1e6);
            m_sinceTick.restart();
        });
    }
    void start()
    {
        m_sinceTick.start();
        m_ticker.start();
    }
    void stop() { m_ticker.stop(); }
    double longestMs() const { return m_longestMs; }

private:
    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
    double m_longestMs = 0;
};
