// CSerialPort on a pseudo-terminal: open rules, exact reads with deadlines, purging.
#include "PtyStb.h"
#include "link/CSerialPort.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>

TEST(LinkSerialPort, PortNumberMapsToTtyS)
{
    EXPECT_EQ(CSerialPort::DevicePathForPort(1), "/dev/ttyS0");
    EXPECT_EQ(CSerialPort::DevicePathForPort(30), "/dev/ttyS29");
}

TEST(LinkSerialPort, OpenCloseAndCallsOnAClosedPort)
{
    PtyStb stb;
    ASSERT_TRUE(stb.Ok());
    CSerialPort port;
    uint8_t b = 0;
    EXPECT_EQ(port.PortClose(), 1); // never opened
    EXPECT_EQ(port.PortWrite(&b, 1), 0);
    EXPECT_EQ(port.PortRead(&b, 1), 0);
    EXPECT_EQ(port.PortInQueue(), 0);
    EXPECT_EQ(port.PortOpenDevice("/nonexistent/tty", 115200, 2, 1), 0);
    EXPECT_EQ(port.PortOpenDevice(stb.Path(), 12345, 2, 1), 0); // no such bit rate
    EXPECT_FALSE(port.IsOpen());

    // Even parity and two stop bits do not make a pseudo-terminal fail the open.
    ASSERT_EQ(port.PortOpenDevice(stb.Path(), 115200, 2, 2), 1);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.PortClose(), 1);
    EXPECT_EQ(port.PortClose(), 1);
    for (int parity = 0; parity <= 4; ++parity) {
        EXPECT_EQ(port.PortOpenDevice(stb.Path(), 115200, parity, 1), 1) << parity;
    }
}

TEST(LinkSerialPort, OpenIsExclusive)
{
    PtyStb stb;
    ASSERT_TRUE(stb.Ok());
    CSerialPort first;
    ASSERT_EQ(first.PortOpenDevice(stb.Path(), 115200, 2, 1), 1);
    // The terminal is in exclusive mode (root may still open it, so ask the flag too).
    int fd = ::open(stb.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        int exclusive = 0;
        EXPECT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 1);
        ::close(fd);
    }
    if (geteuid() != 0) {
        CSerialPort second;
        EXPECT_EQ(second.PortOpenDevice(stb.Path(), 115200, 2, 1), 0);
    }
    first.PortClose();
}

TEST(LinkSerialPort, ReadExactWaitsForTheWholeCountAndLeavesShortInputQueued)
{
    PtyStb stb;
    ASSERT_TRUE(stb.Ok());
    CSerialPort port;
    ASSERT_EQ(port.PortOpenDevice(stb.Path(), 115200, 2, 1), 1);
    uint8_t buf[8] = {};

    EXPECT_EQ(port.PortReadExact(buf, 0, 0), 1);
    EXPECT_EQ(port.PortReadExact(buf, 1, 0), 0);

    // Bytes that arrive one at a time are collected.
    stb.Run([](PtyStb &s) {
        for (uint8_t b : {'a', 'b', 'c'}) {
            s.WriteByte(b);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    });
    ASSERT_EQ(port.PortReadExact(buf, 3, 1000), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), 3), "abc");
    stb.Join();

    // Too few by the deadline: nothing taken, the bytes wait for the next read.
    stb.Write(std::string("xy"));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.PortReadExact(buf, 3, 80), 0);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(75));
    EXPECT_EQ(port.PortInQueue(), 2);
    EXPECT_EQ(port.PortRead(buf, 8), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), 2), "xy");

    // More waiting than asked: only n are taken.
    stb.Write(std::string("12345"));
    ASSERT_EQ(port.PortReadExact(buf, 2, 500), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), 2), "12");
    EXPECT_EQ(port.PortRead(buf, 1), 1);
    EXPECT_EQ(buf[0], '3');
    EXPECT_EQ(port.PortInQueue(), 2);

    EXPECT_EQ(port.PortPurgeRx(), 1);
    EXPECT_EQ(port.PortInQueue(), 0);
    EXPECT_EQ(port.PortPurgeTx(), 1);
}

TEST(LinkSerialPort, WritesReachTheOtherEnd)
{
    PtyStb stb;
    ASSERT_TRUE(stb.Ok());
    CSerialPort port;
    ASSERT_EQ(port.PortOpenDevice(stb.Path(), 115200, 2, 1), 1);
    std::vector<uint8_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7);
    std::vector<uint8_t> got(data.size());
    stb.Run([&](PtyStb &s) { EXPECT_TRUE(s.Read(got.data(), got.size())); });
    EXPECT_EQ(port.PortWrite(data.data(), data.size()), int(data.size()));
    stb.Join();
    EXPECT_EQ(got, data);
}
