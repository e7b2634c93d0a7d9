// The real port's wait for bytes, on a pseudo-terminal standing in for the
// serial line: it ends when the bytes are there, or at its bound.
#include "probe/MsClock.h"
#include "probe/QtSerialPortBackend.h"
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

namespace {

struct Pty
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    Pty()
    {
        if (master >= 0 && (grantpt(master) != 0 || unlockpt(master) != 0)) {
            close(master);
            master = -1;
        }
    }
    ~Pty()
    {
        if (master >= 0)
            close(master);
    }
    QString device() const { return QString::fromLocal8Bit(ptsname(master)); }
    void write(const char* bytes, size_t n) const { ASSERT_EQ(::write(master, bytes, n), ssize_t(n)); }
};

TEST(QtSerialPortBackend, WaitEndsWhenTheBytesAreThereOrAtItsBound)
{
    Pty pty;
    if (pty.master < 0)
        GTEST_SKIP() << "no pseudo-terminals here";
    SteadyClock clock;
    QtSerialPortBackend port(pty.device(), clock);
    ASSERT_EQ(port.open(), 0);
    ASSERT_EQ(port.setBaud(9600), 0);

    pty.write("\xAA\x01\x02", 3);
    EXPECT_TRUE(port.waitForBytes(3, 5000));
    const uint32_t start = clock.now();
    EXPECT_FALSE(port.waitForBytes(4, 50));
    EXPECT_GE(clock.now() - start, 50u);

    // Bytes that come while it sleeps end the wait.
    std::thread far([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.write("\x03", 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.write("\x04\x05", 2);
    });
    EXPECT_TRUE(port.waitForBytes(6, 10000));
    far.join();
    char got[6] = {};
    EXPECT_EQ(port.read(got, 6), 6);
    EXPECT_EQ(QByteArray(got, 6), QByteArray("\xAA\x01\x02\x03\x04\x05", 6));
    port.close();
}

}  // namespace
