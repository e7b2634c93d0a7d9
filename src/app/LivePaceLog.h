#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The live path's pace, written once a second to the sv.app debug log while a
// measurement runs: frames taken, the longest timer tick, and the longest
// stall of the event loop (how late a 10 ms heartbeat came: the most a click
// on "停！" waited). Costs nothing while that log is off.
class LivePaceLog : public QObject
{
    Q_OBJECT
public:
    explicit LivePaceLog(QObject* parent = nullptr);
    void start();
    void stop();
    void frame() { ++m_frames; }
    void tickTook(qint64 ms);

private:
    void beat();
    void report();

    bool m_on = false;
    QTimer m_heartbeat;
    QElapsedTimer m_sinceBeat;
    QElapsedTimer m_sinceReport;
    int m_frames = 0;
    qint64 m_longestTick = 0;
    qint64 m_longestStall = 0;
};
