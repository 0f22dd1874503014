#pragma once
// The user-interface thread's longest time without processing events, as a
// 10 ms timer sees it, from start() to stop().
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

class GapMeter {
public:
    GapMeter()
    {
        m_ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            tick();
            ++m_ticks;
        });
    }
    void start()
    {
        m_longest = m_last = 0;
        m_ticks = 0;
        m_clock.start();
        m_ticker.start(10);
    }
    // Stops; the time since start() in ms.
    double stop()
    {
        tick();
        m_ticker.stop();
        return double(m_last) / 1e6;
    }
    double longestMs() const { return double(m_longest) / 1e6; }
    int ticks() const { return m_ticks; }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    int m_ticks = 0;
};
