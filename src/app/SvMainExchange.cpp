// Exchanges with the probe on the port's thread while the window stays alive,
// and the port itself: opening, the chooser with its devices, the calibration
// read of a power-on.
#include "app/SvMain.h"
#include "document/ExchangeDumpFile.h"
#include "document/ProbeMessages.h"
#include "probe/MsClock.h"
#include "probe/PortFactory.h"
#include "probe/ProbeLink.h"
#include "probe/ProbeProtocol.h"
#include "probe/ProbeSession.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <QCoreApplication>

namespace {

// Holds back the user's input while an exchange runs: the window still
// paints, its timers run and the desktop's ping is answered, but no click,
// key or shortcut reaches a control, except the one button that cancels.
class InputHold : public QObject
{
public:
    explicit InputHold(QWidget* allowed) : m_allowed(allowed) { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
            return true;   // shortcuts reach actions, not widgets: none fires
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Drop:
            break;
        default:
            return false;
        }
        // The window system's window hands the event on to a widget, where it is judged.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        return !(m_allowed && widget == m_allowed && m_allowed->isVisible() && m_allowed->isEnabled());
    }

private:
    QPointer<QWidget> m_allowed;
};

// A dumping port that owns the port it wraps.
class OwningDumpingPort : public DumpingPort
{
public:
    OwningDumpingPort(std::unique_ptr<SerialPort> inner, ExchangeDump& dump)
        : DumpingPort(*inner, dump), m_inner(std::move(inner)) {}
private:
    std::unique_ptr<SerialPort> m_inner;
};

}  // namespace

bool TSvMain::runExchange(const std::function<void(ProbeProtocol&)>& job, QWidget* cancel)
{
    if (m_exchangeRunning || !m_link->hasPort())
        return false;
    const bool started = m_link->start(
        [job](SerialPort& port) {
            ProbeProtocol protocol(port);
            job(protocol);
        },
        // After every event the job posted, so the handler sees them all.
        [this] {
            QMetaObject::invokeMethod(this, [this] {
                m_exchangeDone = true;
                if (m_exchangeLoop)
                    m_exchangeLoop->quit();
            }, Qt::QueuedConnection);
        });
    if (!started)
        return false;
    m_exchangeRunning = true;
    m_exchangeDone = false;
    {
        const InputHold hold(cancel);
        QEventLoop loop;
        m_exchangeLoop = &loop;
        loop.exec();
        m_exchangeLoop = nullptr;
        if (!m_exchangeDone) {
            // The application is quitting (every event loop was told to end):
            // the exchange ends now, and what it posted is delivered.
            m_link->cancel();
            m_link->waitIdle();
            QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        }
    }
    m_exchangeRunning = false;
    if (m_closeAfterExchange)
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
    return true;
}

probemem::SessionEvents TSvMain::onWindowThread(const probemem::SessionEvents& e)
{
    auto post = [this](std::function<void()> fn) { QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection); };
    probemem::SessionEvents f;
    if (e.started)
        f.started = [post, cb = e.started] { post(cb); };
    if (e.calibrated)
        f.calibrated = [post, cb = e.calibrated](const probemem::CalibrationRead& c) { post([cb, c] { cb(c); }); };
    if (e.entry)
        f.entry = [post, cb = e.entry](const probemem::DirectoryEntry& d) { post([cb, d] { cb(d); }); };
    if (e.recNo)
        f.recNo = [post, cb = e.recNo](int n) { post([cb, n] { cb(n); }); };
    if (e.percent) {
        // The upload reports every record: only a new figure is worth a repaint.
        auto last = std::make_shared<int>(-1);
        f.percent = [post, cb = e.percent, last](int p) {
            if (p != *last)
                post([cb, p] { cb(p); });
            *last = p;
        };
    }
    return f;
}

bool TSvMain::callOnWindow(const std::function<void()>& fn)
{
    struct Handoff
    {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
    };
    auto h = std::make_shared<Handoff>();
    QMetaObject::invokeMethod(this, [fn, h] {
        fn();
        {
            const std::lock_guard lock(h->m);
            h->done = true;
        }
        h->cv.notify_one();
    }, Qt::QueuedConnection);
    // The window's thread runs its event loop while the exchange runs; it
    // stops only to close, and then it cancels first.
    std::unique_lock lock(h->m);
    while (!h->done) {
        if (m_link->cancelled())
            return false;
        h->cv.wait_for(lock, std::chrono::milliseconds(SerialPort::kWaitSliceMs));
    }
    return true;
}

void TSvMain::btnCancelClick()
{
    m_link->cancel();
    btnCancel->setEnabled(false);
}

// ---- the port ------------------------------------------------------------------

QString TSvMain::deviceOfPort(int portNo) const
{
    if (m_options.simulate)
        return QStringLiteral("simulator");
    return deviceForPort(portNo, portNo >= 1 && portNo <= 16 ? LoadedSettings.deviceOverride[portNo] : QString());
}

void TSvMain::refreshPortNames()
{
    auto* model = qobject_cast<QStandardItemModel*>(PortNumber->model());
    if (!model)
        return;
    for (int n = 1; n <= 16; ++n) {
        const QString device = deviceOfPort(n);
        // On Windows port N is COMN itself: nothing to show beside it.
        model->setItem(n - 1, 1, new QStandardItem(device == QStringLiteral("COM%1").arg(n) ? QString() : device));
    }
    PortNumber->view()->setMinimumWidth(PortNumber->view()->sizeHintForColumn(0)
                                        + PortNumber->view()->sizeHintForColumn(1) + 24);
}

bool TSvMain::OpenSerialPort(int portNo, bool atStart)
{
    const QString configured = portNo >= 1 && portNo <= 16 ? LoadedSettings.deviceOverride[portNo] : QString();
    ExchangeDump* dump = nullptr;
    if (!m_options.dumpFile.isEmpty()) {
        if (!m_dump) {
            m_dump = std::make_unique<ExchangeDumpFile>(m_options.dumpFile);
            if (!m_dump->isOpen())
                m_prompts->message(QCoreApplication::translate("TSvMain", "不能建立通讯记录文件：") + QDir::toNativeSeparators(m_options.dumpFile));
        }
        if (m_dump->isOpen())
            dump = m_dump.get();
    }
    // Made on the port's thread: a real port belongs to the thread that made it.
    const ProbeLink::Opened opened = m_link->open([this, portNo, configured, dump]() -> std::unique_ptr<SerialPort> {
        std::unique_ptr<SerialPort> port = m_options.portFactory
            ? m_options.portFactory(portNo, configured)
            : createPort(portNo, configured, m_options.simulate, *m_clock, m_options.simulatorFrameRate);
        if (port && dump)
            port = std::make_unique<OwningDumpingPort>(std::move(port), *dump);
        return port;
    });
    // An adapter named in the settings but not plugged in is no news at every
    // start (the client is often used away from the probe): it is reported
    // when its port is chosen.
    const bool quiet = atStart && opened.missing && !configured.isEmpty();
    if (!quiet)
        showProbeMessage(probemsg::portOpenMessage(opened.result, opened.device, opened.reason));
    return opened.result == PortOpenResult::Ok;
}

void TSvMain::PortNumberChange()
{
    const int index = PortNumber->currentIndex();
    if (index == kDeviceItem) {
        // The chooser shows the port in use until a device is mapped.
        {
            const QSignalBlocker block(PortNumber);
            PortNumber->setCurrentIndex(PortNo >= 1 && PortNo <= 16 ? PortNo - 1 : -1);
        }
        std::vector<SerialDeviceInfo> present;
        if (m_options.listDevices) {
            present = m_options.listDevices();
        } else {
            for (const SerialDevice& d : presentSerialDevices())
                present.push_back({d.name, d.location, d.description, d.manufacturer, d.serialNumber});
        }
        int portNo = PortNo >= 1 && PortNo <= 16 ? PortNo : 1;
        QString device;
        if (!m_prompts->serialDevice(present, &portNo, &device) || portNo < 1 || portNo > 16 || device.isEmpty())
            return;
        LoadedSettings.deviceOverride[portNo] = device;
        if (!m_mappedPorts.contains(portNo))
            m_mappedPorts.append(portNo);
        refreshPortNames();
        const QSignalBlocker block(PortNumber);
        PortNumber->setCurrentIndex(portNo - 1);
    }
    m_link->close();
    PortNo = PortNumber->currentIndex() + 1;
    PortOpened = OpenSerialPort(PortNo);
}

bool TSvMain::ReadCalibration()
{
    probemem::PowerOnResult r;
    if (!runExchange([&r](ProbeProtocol& protocol) { r = probemem::powerOn(protocol); }))
        return false;
    if (r.calibration)
        applyCalibration(*r.calibration);
    showProbeMessage(probemsg::message(probemsg::Command::PowerOn, r.status));
    return r.status == probemem::ProbeStatus::Complete;
}
