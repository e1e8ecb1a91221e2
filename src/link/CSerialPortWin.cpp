// CSerialPort on Windows: "\\.\COMn" opened for overlapped I/O; waits poll the input count.
#include "link/CSerialPort.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>

namespace {

using Clock = std::chrono::steady_clock;

// The driver's input and output queues: a whole 1024-byte block with its framing many times over.
constexpr DWORD kQueueBytes = 10000;
// A write that the driver has not finished after this long fails on its own.
constexpr DWORD kWriteTotalTimeoutMs = 5000;
// How long a read of bytes that were already counted in the input queue may take.
constexpr DWORD kReadWaitMs = 2000;

// The parity codes of the interface.
enum class ParityCode : int { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };

bool ParityFor(int code, BYTE &parity)
{
    switch (static_cast<ParityCode>(code)) {
    case ParityCode::None: parity = NOPARITY; return true;
    case ParityCode::Odd: parity = ODDPARITY; return true;
    case ParityCode::Even: parity = EVENPARITY; return true;
    case ParityCode::Mark: parity = MARKPARITY; return true;
    case ParityCode::Space: parity = SPACEPARITY; return true;
    }
    return false;
}

// "COM12" as typed by a user names the device only with the "\\.\" prefix (COM1 to COM9 work
// either way); any other path is taken as it is.
std::string DevicePath(const std::string &path)
{
    if (path.size() < 4 || path.size() > 6)
        return path;
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    if (upper(path[0]) != 'C' || upper(path[1]) != 'O' || upper(path[2]) != 'M')
        return path;
    for (size_t i = 3; i < path.size(); ++i) {
        if (path[i] < '0' || path[i] > '9')
            return path;
    }
    return "\\\\.\\" + path;
}

HANDLE AsHandle(void *handle)
{
    return static_cast<HANDLE>(handle);
}

// Waits for an overlapped operation that was started on handle. One that has not finished within
// timeoutMs is cancelled and waited for, so that the record and the buffer are never left in use
// by the driver after the call returns. The bytes transferred, or -1 on failure or time-out.
long long FinishOverlapped(HANDLE handle, OVERLAPPED &overlapped, DWORD timeoutMs)
{
    DWORD done = 0;
    if (WaitForSingleObject(overlapped.hEvent, timeoutMs) != WAIT_OBJECT_0) {
        CancelIoEx(handle, &overlapped);
        GetOverlappedResult(handle, &overlapped, &done, TRUE);
        return -1;
    }
    if (!GetOverlappedResult(handle, &overlapped, &done, FALSE))
        return -1;
    return static_cast<long long>(done);
}

} // namespace

CSerialPort::~CSerialPort()
{
    PortClose();
}

std::string CSerialPort::DevicePathForPort(int portNumber)
{
    return "\\\\.\\COM" + std::to_string(portNumber);
}

int CSerialPort::PortOpen(int portNumber, int bitRate, int parity, int stopBits)
{
    if (portNumber < 1) {
        PortClose();
        return 0;
    }
    return PortOpenDevice(DevicePathForPort(portNumber), bitRate, parity, stopBits);
}

int CSerialPort::PortOpenDevice(const std::string &path, int bitRate, int parity, int stopBits)
{
    PortClose();
    BYTE parityByte = NOPARITY;
    if (bitRate <= 0 || !ParityFor(parity, parityByte))
        return 0;

    // Not shared, existing device only, overlapped.
    HANDLE handle = CreateFileA(DevicePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;

    // Reads return at once with what has arrived, even nothing; writes give up after 5 s.
    COMMTIMEOUTS timeouts {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTotalTimeoutMs;
    const bool timeoutsSet = SetCommTimeouts(handle, &timeouts) != 0;

    HANDLE readEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE writeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    DCB dcb {};
    dcb.DCBlength = sizeof(dcb);
    dcb.BaudRate = static_cast<DWORD>(bitRate);
    dcb.fBinary = TRUE;
    dcb.fParity = parity != 0 ? TRUE : FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    dcb.ByteSize = 8;
    dcb.Parity = parityByte;
    dcb.StopBits = stopBits == 1 ? ONESTOPBIT : TWOSTOPBITS;
    // XON/XOFF is off, but drivers refuse a state whose two flow characters are equal.
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    const bool lineSet = SetCommState(handle, &dcb) != 0;
    const bool queuesSet = lineSet && SetupComm(handle, kQueueBytes, kQueueBytes) != 0;

    // A port whose reads could block (time-outs not taken) is no more usable than one without
    // its line settings.
    if (!timeoutsSet || !lineSet || !queuesSet || !readEvent || !writeEvent) {
        if (readEvent)
            CloseHandle(readEvent);
        if (writeEvent)
            CloseHandle(writeEvent);
        CloseHandle(handle);
        return 0;
    }
    m_handle = handle;
    m_readEvent = readEvent;
    m_writeEvent = writeEvent;
    // Whatever the driver held from an earlier user is not an answer to us.
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return 1;
}

int CSerialPort::PortClose()
{
    if (!m_handle)
        return 1;
    CloseHandle(AsHandle(m_readEvent));
    CloseHandle(AsHandle(m_writeEvent));
    // Latched line errors are cleared before the handle goes. The handle is closed even when the
    // device has gone away (access denied): keeping it would only leak it.
    DWORD errors = 0;
    COMSTAT status {};
    ClearCommError(AsHandle(m_handle), &errors, &status);
    CloseHandle(AsHandle(m_handle));
    m_handle = nullptr;
    m_readEvent = nullptr;
    m_writeEvent = nullptr;
    return 1;
}

int CSerialPort::PortWrite(const uint8_t *bytes, size_t count)
{
    if (!m_handle || count == 0 || count > size_t(INT_MAX) - 100)
        return 0;
    OVERLAPPED overlapped {};
    overlapped.hEvent = AsHandle(m_writeEvent);
    if (!WriteFile(AsHandle(m_handle), bytes, static_cast<DWORD>(count), nullptr, &overlapped)
        && GetLastError() != ERROR_IO_PENDING)
        return 0;
    // One millisecond per byte plus 100; a write that completed at once has its event set.
    const long long done = FinishOverlapped(AsHandle(m_handle), overlapped, static_cast<DWORD>(count + 100));
    if (done < 0)
        return 0;
    return static_cast<int>(std::min<long long>(done, static_cast<long long>(count)));
}

int CSerialPort::PortInQueue()
{
    if (!m_handle)
        return 0;
    // Clearing the error state also clears latched parity, framing and overrun errors, which
    // would otherwise block further I/O.
    DWORD errors = 0;
    COMSTAT status {};
    if (!ClearCommError(AsHandle(m_handle), &errors, &status))
        return 0;
    return static_cast<int>(std::min<DWORD>(status.cbInQue, DWORD(INT_MAX)));
}

int CSerialPort::PortRead(uint8_t *buffer, size_t count)
{
    if (!m_handle || count == 0)
        return 0;
    const int waiting = PortInQueue();
    if (waiting <= 0)
        return 0;
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(count, size_t(waiting)));
    OVERLAPPED overlapped {};
    overlapped.hEvent = AsHandle(m_readEvent);
    if (!ReadFile(AsHandle(m_handle), buffer, wanted, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING)
        return 0;
    const long long done = FinishOverlapped(AsHandle(m_handle), overlapped, kReadWaitMs);
    if (done <= 0)
        return 0;
    return static_cast<int>(std::min<long long>(done, static_cast<long long>(wanted)));
}

int CSerialPort::PortReadExact(uint8_t *buffer, size_t count, int timeoutMs)
{
    if (count == 0)
        return 1;
    if (!m_handle || timeoutMs <= 0 || count > size_t(INT_MAX))
        return 0;
    // Poll the input count with 1 ms sleeps: every wait ends at its deadline, and nothing is
    // taken until all count bytes are there.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int waiting = PortInQueue();
        if (waiting > 0 && size_t(waiting) >= count)
            return PortRead(buffer, count) == static_cast<int>(count) ? 1 : 0;
        if (Clock::now() >= deadline)
            return 0;
        Sleep(1);
    }
}

int CSerialPort::PortPurgeRx()
{
    if (!m_handle)
        return 0;
    return PurgeComm(AsHandle(m_handle), PURGE_RXCLEAR) ? 1 : 0;
}

int CSerialPort::PortPurgeTx()
{
    if (!m_handle)
        return 0;
    return PurgeComm(AsHandle(m_handle), PURGE_TXCLEAR) ? 1 : 0;
}
