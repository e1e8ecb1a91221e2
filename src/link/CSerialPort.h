// Raw byte transport over one serial device: POSIX termios, or the Win32 communications API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One serial line to the set-top box, 8 data bits, no flow control, modem lines inactive.
//
// Port numbers follow the settings dialog (1 and up): on Linux port n is "/dev/ttyS<n-1>"
// (COM1 is /dev/ttyS0), on Windows "\\.\COMn". Tests and the command line open a device path
// directly with PortOpenDevice.
//
// The back-end is chosen at compile time (src/CMakeLists.txt): CSerialPortPosix.cpp or
// CSerialPortWin.cpp. This header stays free of Qt and of the system headers of either.
//
// POSIX: bytes read from the device but not yet taken by a caller are kept in a small receive
// buffer of the object, so that PortReadExact can sleep in poll() until more bytes arrive and
// still leave everything in place when its deadline passes.
// Windows: overlapped I/O on the handle; the driver's input queue holds what has arrived, and
// PortReadExact polls its count with 1 ms sleeps.
class CSerialPort
{
public:
    CSerialPort() = default;
    ~CSerialPort();
    CSerialPort(const CSerialPort &) = delete;
    CSerialPort &operator=(const CSerialPort &) = delete;

    // Parity codes: 0 none, 1 odd, 2 even, 3 mark, 4 space. Stop code 1 gives one stop bit,
    // anything else two. Returns 1 when opened, 0 when not.
    int PortOpen(int portNumber, int bitRate, int parity, int stopBits);
    int PortOpenDevice(const std::string &path, int bitRate, int parity, int stopBits);
    int PortClose();
    // Bytes written (0 on any failure, including a write not finished within n + 100 ms).
    int PortWrite(const uint8_t *bytes, size_t count);
    int PortInQueue();
    // Takes at most count of the bytes already received; never waits.
    int PortRead(uint8_t *buffer, size_t count);
    // 1 when exactly count bytes were read before the deadline; otherwise nothing is taken.
    int PortReadExact(uint8_t *buffer, size_t count, int timeoutMs);
    int PortPurgeRx();
    int PortPurgeTx();

    // Why the last open failed: the device path and the system's reason; empty after a success.
    const std::string &OpenError() const { return m_openError; }
    static std::string DevicePathForPort(int portNumber);

#ifdef _WIN32
    bool IsOpen() const { return m_handle != nullptr; }

private:
    // The device handle and the manual-reset events of the read and write completion records,
    // as void * so that <windows.h> stays out of this header.
    void *m_handle = nullptr;
    void *m_readEvent = nullptr;
    void *m_writeEvent = nullptr;
    std::string m_openError;
#else
    bool IsOpen() const { return m_fd >= 0; }

private:
    bool ApplyLineSettings(int bitRate, int parity, int stopBits);
    // Moves whatever the driver holds into m_pending; false on a read error.
    bool Fill();
    size_t TakePending(uint8_t *buffer, size_t count);
    size_t Pending() const { return m_pending.size() - m_head; }
    void ClearPending();

    int m_fd = -1;
    std::string m_openError;
    bool m_isPty = false;
    // Received bytes not yet taken: m_pending[m_head..]. Taking advances m_head, so reading a
    // large answer byte by byte stays linear.
    std::vector<uint8_t> m_pending;
    size_t m_head = 0;
#endif
};
