#include "probe/ProbeLink.h"
#include "probe/Log.h"
#include <QThread>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

// A thread that runs jobs in order. It runs no event loop: the port never
// relies on one (it pulls its bytes with zero-time waits), so a job may sleep
// in the port's waits as long as it likes. QThread, not std::thread, so that
// QSerialPort finds the event dispatcher its notifiers register with.
class PortThread : public QThread
{
public:
    PortThread() { setObjectName(QStringLiteral("serial port")); }

    void post(std::function<void()> job)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
        }
        m_wake.notify_one();
    }

    // Runs the jobs queued so far, then ends the thread.
    void finish()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        wait();
    }

protected:
    void run() override
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
                if (m_jobs.empty())
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            try {
                job();
            } catch (const std::exception& e) {
                // A job must not take the port's thread with it.
                qCWarning(lcProbe) << "exchange ended by an exception:" << e.what();
            }
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stop = false;
};

ProbeLink::ProbeLink() : m_thread(std::make_unique<PortThread>())
{
    m_thread->start();
}

ProbeLink::~ProbeLink()
{
    cancel();
    call([this](SerialPort* port) {
        if (port)
            port->close();
        m_port.reset();
        m_hasPort = false;
    });
    m_thread->finish();
}

void ProbeLink::call(const std::function<void(SerialPort*)>& fn)
{
    if (m_busy.load())
        qCWarning(lcProbe) << "a port call waits for the running exchange";
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    m_thread->post([&] {
        fn(m_port.get());
        // Notified under the lock: the caller may return, and its condition
        // variable go, as soon as it sees `done`.
        const std::lock_guard lock(m);
        done = true;
        cv.notify_one();
    });
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return done; });
}

ProbeLink::Opened ProbeLink::open(const PortMaker& make)
{
    Opened r;
    call([&](SerialPort*) {
        if (m_port)
            m_port->close();
        m_port.reset();
        m_hasPort = false;
        std::unique_ptr<SerialPort> port = make ? make() : nullptr;
        if (!port)
            return;
        r.device = port->deviceName();
        r.result = openProbePort(port.get());
        if (r.result != PortOpenResult::Ok) {
            r.reason = port->errorString();
            r.missing = port->deviceMissing();
        }
        m_port = std::move(port);
        m_hasPort = true;
    });
    return r;
}

void ProbeLink::close()
{
    call([](SerialPort* port) {
        if (port)
            port->close();
    });
}

void ProbeLink::setPower(bool on)
{
    call([on](SerialPort* port) {
        if (port)
            port->setPower(on ? 1 : 0);
    });
}

void ProbeLink::flushInput()
{
    call([](SerialPort* port) {
        if (port)
            port->flush(2);
    });
}

QByteArray ProbeLink::takeInput()
{
    QByteArray bytes;
    call([&](SerialPort* port) {
        const int n = port ? port->inputCount() : 0;
        if (n <= 0)
            return;
        bytes.resize(n);
        const int got = port->read(bytes.data(), n);
        bytes.resize(std::max(got, 0));
    });
    return bytes;
}

bool ProbeLink::start(Job job, std::function<void()> finished)
{
    if (m_busy.exchange(true))
        return false;
    m_cancelled = false;
    if (m_port)
        m_port->setInterrupted(false);
    m_thread->post([this, job = std::move(job), finished = std::move(finished)] {
        if (m_port)
            job(*m_port);
        m_busy = false;
        if (finished)
            finished();
    });
    return true;
}

void ProbeLink::cancel()
{
    if (!m_busy.load())
        return;
    m_cancelled = true;
    if (m_port)
        m_port->setInterrupted(true);
}

void ProbeLink::waitIdle()
{
    // An empty call queues behind the running exchange.
    call([](SerialPort*) {});
}

// ---- ReceivedBytes -------------------------------------------------------------

int ReceivedBytes::flush(int mode)
{
    if (mode == 2) {
        m_bytes.clear();
        m_pos = 0;
    }
    return 0;
}

int ReceivedBytes::getByte()
{
    if (m_pos >= m_bytes.size())
        return -1;
    const int b = static_cast<uint8_t>(m_bytes[m_pos++]);
    compact();
    return b;
}

int ReceivedBytes::read(char* buffer, int length)
{
    const int n = std::min(length, inputCount());
    if (n <= 0)
        return 0;
    std::copy(m_bytes.constData() + m_pos, m_bytes.constData() + m_pos + n, buffer);
    m_pos += n;
    compact();
    return n;
}

void ReceivedBytes::compact()
{
    // Drops what was read once it is most of the buffer: reads stay O(1).
    if (m_pos >= m_bytes.size()) {
        m_bytes.clear();
        m_pos = 0;
    } else if (m_pos > 4096 && m_pos * 2 > m_bytes.size()) {
        m_bytes.remove(0, m_pos);
        m_pos = 0;
    }
}
