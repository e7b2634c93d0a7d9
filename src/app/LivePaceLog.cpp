#include "app/LivePaceLog.h"
#include "app/Log.h"
#include <algorithm>

namespace {
constexpr int kBeatMs = 10;
}

LivePaceLog::LivePaceLog(QObject* parent) : QObject(parent)
{
    m_heartbeat.setInterval(kBeatMs);
    m_heartbeat.setTimerType(Qt::PreciseTimer);
    connect(&m_heartbeat, &QTimer::timeout, this, &LivePaceLog::beat);
}

void LivePaceLog::start()
{
    m_on = lcApp().isDebugEnabled();
    if (!m_on)
        return;
    m_frames = 0;
    m_longestTick = m_longestStall = 0;
    m_sinceBeat.start();
    m_sinceReport.start();
    m_heartbeat.start();
}

void LivePaceLog::stop()
{
    if (m_on)
        report();
    m_heartbeat.stop();
    m_on = false;
}

void LivePaceLog::tickTook(qint64 ms)
{
    if (!m_on)
        return;
    m_longestTick = std::max(m_longestTick, ms);
    if (m_sinceReport.elapsed() >= 1000)
        report();
}

void LivePaceLog::beat()
{
    m_longestStall = std::max(m_longestStall, m_sinceBeat.restart() - kBeatMs);
}

void LivePaceLog::report()
{
    qCDebug(lcApp, "live: %d frames in %lld ms, longest tick %lld ms, longest stall %lld ms", m_frames,
            m_sinceReport.restart(), m_longestTick, m_longestStall);
    m_frames = 0;
    m_longestTick = m_longestStall = 0;
}
