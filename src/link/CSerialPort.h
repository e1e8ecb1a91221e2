// Raw byte transport over one serial device: POSIX termios with poll()-based deadlines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One serial line to the set-top box, 8 data bits, no flow control, modem lines inactive.
//
// Port numbers follow the settings dialog (1 and up): on Linux port n is "/dev/ttyS<n-1>"
// (COM1 is /dev/ttyS0), on Windows it would be "COMn". Tests and the command line open a
// device path directly with PortOpenDevice.
//
// Bytes read from the device but not yet taken by a caller are kept in a small receive
// buffer of the object, so that PortReadExact can sleep in poll() until more bytes arrive
// and still leave everything in place when its deadline passes.
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

    bool IsOpen() const { return m_fd >= 0; }
    // Why the last open failed: the device path and the system's reason; empty after a success.
    const std::string &OpenError() const { return m_openError; }
    static std::string DevicePathForPort(int portNumber);

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
};
