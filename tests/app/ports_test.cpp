// Ports by name: the chooser shows the device of every port number, the
// device dialog maps a present device to a number (stored as "Device N"), and
// a port that will not open is reported with its device and the reason.
#include "WindowFixture.h"
#include "probe/QtSerialPortBackend.h"
#include <QAbstractItemModel>
#include <QtTest>
#include <cerrno>
#include <cstring>

class PortsTest : public QObject
{
    Q_OBJECT
private slots:
    void chooserShowsTheDeviceOfEachPort();
    void deviceDialogMapsAPresentDevice();
    void portThatWillNotOpenIsNamedWithItsReason();
};

namespace {

QString deviceShown(TSvMain& w, int portNo)
{
    return w.PortNumber->model()->index(portNo - 1, 1).data().toString();
}

// Real ports: the device a port number maps to, or a missing one for the default mapping.
void realPorts(WindowFixture& f)
{
    f.makePort = [&f](int portNo, const QString& device) -> std::unique_ptr<SerialPort> {
        const QString name = device.isEmpty() ? QStringLiteral("/nonexistent/ttyS%1").arg(portNo - 1) : device;
        return std::make_unique<QtSerialPortBackend>(name, f.clock);
    };
}

}  // namespace

void PortsTest::chooserShowsTheDeviceOfEachPort()
{
    WindowFixture f;
    f.writeIni("[Serial Port]\r\nPort No.=3\r\nDevice 3=/dev/ttyUSB7\r\nDevice 5=simulator\r\n");
    TSvMain& w = f.start();
    QCOMPARE(w.PortNumber->count(), 17);
    QCOMPARE(w.PortNumber->currentText(), QString("COM3"));
    QCOMPARE(w.PortNumber->itemText(0), QString("COM1"));
    QCOMPARE(w.PortNumber->itemText(15), QString("COM16"));
    QCOMPARE(w.PortNumber->itemText(TSvMain::kDeviceItem), QString("设备…"));
    QCOMPARE(deviceShown(w, 3), QString("/dev/ttyUSB7"));
    QCOMPARE(deviceShown(w, 5), QString("simulator"));
    QCOMPARE(deviceShown(w, 1), w.deviceOfPort(1));
    QCOMPARE(f.portsMade.last(), (QPair<int, QString>(3, "/dev/ttyUSB7")));
}

void PortsTest::deviceDialogMapsAPresentDevice()
{
    WindowFixture f;
    f.listDevices = [] {
        return std::vector<SerialDeviceInfo>{
            {"ttyUSB0", "/dev/ttyUSB0", "CP2102 USB to UART Bridge Controller", "Silicon Labs", "0001"},
            {"ttyACM0", "/dev/ttyACM0", "VX4400 interface", "Sondix", "A1B2"}};
    };
    f.writeIni("[Serial Port]\r\nPort No.=2\r\nDevice 7=/dev/ttyS9\r\n");
    TSvMain& w = f.start();
    const int made = f.portsMade.size();

    // Cancelled: the chooser goes back to the port in use, which stays open.
    w.PortNumber->setCurrentIndex(TSvMain::kDeviceItem);
    QCOMPARE(f.prompts.offeredDevices.size(), size_t(1));
    QCOMPARE(f.prompts.offeredDevices[0].size(), size_t(2));
    QCOMPARE(f.prompts.offeredDevices[0][1].description, QString("VX4400 interface"));
    QCOMPARE(f.prompts.offeredDevices[0][1].serialNumber, QString("A1B2"));
    QCOMPARE(f.prompts.offeredPortNo[0], 2);
    QCOMPARE(w.PortNumber->currentIndex(), 1);
    QCOMPARE(w.PortNo, 2);
    QCOMPARE(f.portsMade.size(), made);

    // Chosen: the device is mapped to port 4, which is opened at once.
    f.prompts.devices.push_back({4, "/dev/ttyACM0"});
    w.PortNumber->setCurrentIndex(TSvMain::kDeviceItem);
    QCOMPARE(w.PortNo, 4);
    QVERIFY(w.PortOpened);
    QCOMPARE(w.PortNumber->currentText(), QString("COM4"));
    QCOMPARE(deviceShown(w, 4), QString("/dev/ttyACM0"));
    QCOMPARE(f.portsMade.last(), (QPair<int, QString>(4, "/dev/ttyACM0")));

    // Written as "Device 4" at close; the key written by hand stays.
    w.close();
    const QByteArray ini = TestDir::readAll(f.ini());
    QVERIFY2(ini.contains("Device 4=/dev/ttyACM0"), ini.constData());
    QVERIFY(ini.contains("Device 7=/dev/ttyS9"));
    QVERIFY(ini.contains("Port No.=4"));
}

void PortsTest::portThatWillNotOpenIsNamedWithItsReason()
{
    const QString noDevice = QString::fromLocal8Bit(std::strerror(ENOENT));
    {
        // A configured adapter that is not plugged in is no news at start...
        WindowFixture f;
        realPorts(f);
        f.writeIni("[Serial Port]\r\nPort No.=2\r\nDevice 2=/nonexistent/ttyUSB9\r\n");
        TSvMain& w = f.start();
        QVERIFY(!w.PortOpened);
        QVERIFY2(f.prompts.shown.isEmpty(), qPrintable(f.prompts.shown.join('|')));
        // ...but is when its port is chosen, again or anew.
        emit w.PortNumber->activated(1);
        QCOMPARE(f.prompts.last(), "打开串行口时出错！\n/nonexistent/ttyUSB9: " + noDevice);
        w.PortNumber->setCurrentIndex(0);
        QCOMPARE(f.prompts.last(), "打开串行口时出错！\n/nonexistent/ttyS0: " + noDevice);
        f.prompts.shown.clear();
        w.PortNumber->setCurrentIndex(1);
        QCOMPARE(f.prompts.shown, QStringList{"打开串行口时出错！\n/nonexistent/ttyUSB9: " + noDevice});
        // Choosing the open port again does not open it again.
        f.makePort = {};
        w.PortNumber->setCurrentIndex(4);
        QVERIFY(w.PortOpened);
        const int made = f.portsMade.size();
        emit w.PortNumber->activated(4);
        QCOMPARE(f.portsMade.size(), made);
    }
    {
        // Without a device of its own, and a device that is there but no
        // serial port: reported at start, with the system's reason.
        WindowFixture f;
        realPorts(f);
        TestDir::writeAll(f.dir.file("plain"), "not a serial port");
        f.writeIni("[Serial Port]\r\nPort No.=1\r\n");
        f.start();
        QCOMPARE(f.prompts.shown, QStringList{"打开串行口时出错！\n/nonexistent/ttyS0: " + noDevice});

        WindowFixture g;
        realPorts(g);
        g.writeIni("[Serial Port]\r\nPort No.=1\r\nDevice 1=" + g.dir.file("plain").toUtf8() + "\r\n");
        TestDir::writeAll(g.dir.file("plain"), "not a serial port");
        TSvMain& w = g.start();
        QVERIFY(!w.PortOpened);
        QCOMPARE(g.prompts.shown.size(), 1);
        const QString prefix = "打开串行口时出错！\n" + g.dir.file("plain") + ": ";
        QVERIFY2(g.prompts.last().startsWith(prefix) && g.prompts.last().size() > prefix.size(),
                 qPrintable(g.prompts.last()));
    }
}

QTEST_MAIN(PortsTest)
#include "ports_test.moc"
