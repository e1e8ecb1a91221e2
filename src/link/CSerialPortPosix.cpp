// CSerialPort on POSIX: termios line settings; every wait is a poll() with a deadline.
#include "link/CSerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

bool SpeedFor(int bitRate, speed_t &speed)
{
    static const struct { int rate; speed_t speed; } table[] = {
        {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
        {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
        {460800, B460800}, {921600, B921600},
    };
    for (const auto &entry : table) {
        if (entry.rate == bitRate) {
            speed = entry.speed;
            return true;
        }
    }
    return false;
}

// Unix98 pseudo-terminal slaves (majors 136-143) and the legacy BSD ones (major 3).
bool IsPseudoTerminal(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    unsigned int maj = major(st.st_rdev);
    return (maj >= 136 && maj <= 143) || maj == 3;
}

} // namespace

CSerialPort::~CSerialPort()
{
    PortClose();
}

std::string CSerialPort::DevicePathForPort(int portNumber)
{
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

int CSerialPort::PortOpen(int portNumber, int bitRate, int parity, int stopBits)
{
    if (portNumber < 1) {
        PortClose();
        m_openError = "port " + std::to_string(portNumber) + ": no such port";
        return 0;
    }
    return PortOpenDevice(DevicePathForPort(portNumber), bitRate, parity, stopBits);
}

int CSerialPort::PortOpenDevice(const std::string &path, int bitRate, int parity, int stopBits)
{
    PortClose();
    m_openError.clear();
    // The reason a user can act on: the device path and the system's words.
    auto failed = [&](const char *what) {
        m_openError = path + ": " + (errno != 0 ? std::strerror(errno) : what);
        return 0;
    };
    errno = 0;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed("cannot open");
    // Not shared: a second opener gets EBUSY.
    if (ioctl(fd, TIOCEXCL) != 0 && !IsPseudoTerminal(fd)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return failed("in use");
    }
    m_fd = fd;
    m_isPty = IsPseudoTerminal(fd);
    errno = 0;
    if (!ApplyLineSettings(bitRate, parity, stopBits)) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        errno = error;
        return failed("line settings refused (bit rate, parity or stop bits)");
    }
    ClearPending();
    tcflush(m_fd, TCIOFLUSH);
    return 1;
}

bool CSerialPort::ApplyLineSettings(int bitRate, int parity, int stopBits)
{
    speed_t speed;
    if (!SpeedFor(bitRate, speed))
        return false;
    termios tio {};
    if (tcgetattr(m_fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
#ifdef CMSPAR
    tio.c_cflag &= ~tcflag_t(CMSPAR);
#endif
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    if (parity != 0) {
        tio.c_cflag |= PARENB;
        tio.c_iflag |= INPCK;
        if (parity == 1 || parity == 3)
            tio.c_cflag |= PARODD;
#ifdef CMSPAR
        if (parity == 3 || parity == 4)
            tio.c_cflag |= CMSPAR;
#endif
    }
    if (stopBits != 1)
        tio.c_cflag |= CSTOPB;
    // Reads return at once with what has arrived.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);

    if (tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        if (!m_isPty)
            return false;
        // A pseudo-terminal has no parity to set; keep the rest.
        tio.c_cflag &= ~tcflag_t(PARENB | PARODD);
        tio.c_iflag &= ~tcflag_t(INPCK);
        if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
            return false;
    }
    // tcsetattr succeeds when any change took; a real device must have taken the essentials.
    termios check {};
    if (tcgetattr(m_fd, &check) != 0)
        return false;
    if (!m_isPty) {
        if ((check.c_cflag & CSIZE) != CS8 || cfgetospeed(&check) != speed
            || (check.c_cflag & PARENB) != (tio.c_cflag & PARENB))
            return false;
    }
    // DTR and RTS held inactive; a pseudo-terminal has no modem lines.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(m_fd, TIOCMBIC, &lines) != 0 && !m_isPty)
        return false;
    return true;
}

int CSerialPort::PortClose()
{
    if (m_fd < 0)
        return 1;
    ::close(m_fd);
    m_fd = -1;
    m_isPty = false;
    ClearPending();
    return 1;
}

int CSerialPort::PortWrite(const uint8_t *bytes, size_t count)
{
    if (m_fd < 0)
        return 0;
    if (count == 0)
        return 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(count + 100);
    size_t done = 0;
    while (done < count) {
        ssize_t written = ::write(m_fd, bytes + done, count - done);
        if (written > 0) {
            done += size_t(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return 0;
        int left = MsLeft(deadline);
        if (left <= 0)
            return 0;
        pollfd pfd {m_fd, POLLOUT, 0};
        int rc = ::poll(&pfd, 1, left);
        if (rc < 0 && errno != EINTR)
            return 0;
        if (rc > 0 && (pfd.revents & (POLLERR | POLLNVAL)))
            return 0;
    }
    return int(done);
}

bool CSerialPort::Fill()
{
    int waiting = 0;
    if (ioctl(m_fd, FIONREAD, &waiting) != 0 || waiting <= 0)
        return true;
    size_t old = m_pending.size();
    m_pending.resize(old + size_t(waiting));
    ssize_t got = ::read(m_fd, m_pending.data() + old, size_t(waiting));
    if (got < 0) {
        m_pending.resize(old);
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    m_pending.resize(old + size_t(got));
    return true;
}

size_t CSerialPort::TakePending(uint8_t *buffer, size_t count)
{
    size_t n = std::min(count, Pending());
    std::copy_n(m_pending.begin() + std::ptrdiff_t(m_head), n, buffer);
    m_head += n;
    if (m_head == m_pending.size()) {
        ClearPending();
    } else if (m_head >= 65536 && m_head * 2 >= m_pending.size()) {
        m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(m_head));
        m_head = 0;
    }
    return n;
}

void CSerialPort::ClearPending()
{
    m_pending.clear();
    m_head = 0;
}

int CSerialPort::PortInQueue()
{
    if (m_fd < 0)
        return 0;
    Fill();
    return int(Pending());
}

int CSerialPort::PortRead(uint8_t *buffer, size_t count)
{
    if (m_fd < 0 || count == 0)
        return 0;
    if (Pending() < count)
        Fill();
    return int(TakePending(buffer, count));
}

int CSerialPort::PortReadExact(uint8_t *buffer, size_t count, int timeoutMs)
{
    if (count == 0)
        return 1;
    if (m_fd < 0 || timeoutMs <= 0)
        return 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (Pending() < count && !Fill())
            return 0;
        if (Pending() >= count) {
            TakePending(buffer, count);
            return 1;
        }
        int left = MsLeft(deadline);
        if (left <= 0)
            return 0;
        // The bytes already here were moved into m_pending, so poll() sleeps until new ones come.
        pollfd pfd {m_fd, POLLIN, 0};
        int rc = ::poll(&pfd, 1, left);
        if (rc < 0 && errno != EINTR)
            return 0;
        if (rc > 0 && (pfd.revents & POLLNVAL))
            return 0;
        if (rc > 0 && (pfd.revents & (POLLHUP | POLLERR)) && !(pfd.revents & POLLIN)) {
            // The other end went away; nothing more will come, but wait out the deadline
            // without spinning so that callers keep their timing.
            struct timespec ts {0, 1000000};
            nanosleep(&ts, nullptr);
        }
    }
}

int CSerialPort::PortPurgeRx()
{
    if (m_fd < 0)
        return 0;
    ClearPending();
    return tcflush(m_fd, TCIFLUSH) == 0 ? 1 : 0;
}

int CSerialPort::PortPurgeTx()
{
    if (m_fd < 0)
        return 0;
    return tcflush(m_fd, TCOFLUSH) == 0 ? 1 : 0;
}
