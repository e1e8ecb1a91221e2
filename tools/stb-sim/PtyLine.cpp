// Pseudo-terminal master with poll()-based deadlines and 11-bit-per-byte pacing.
#include "PtyLine.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

int MsUntil(PtyLine::Clock::time_point t)
{
    const auto now = PtyLine::Clock::now();
    if (t <= now)
        return 0;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - now).count();
    return int(std::min<long long>(ms + 1, INT_MAX));
}

} // namespace

PtyLine::~PtyLine()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyLine::Open(std::string &error)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        error = "openpty failed";
        return false;
    }
    termios tio{};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    m_slavePath = name;
    return true;
}

void PtyLine::SetLineRate(uint32_t bitsPerSecond)
{
    m_lineRate = bitsPerSecond;
}

PtyLine::Clock::duration PtyLine::ByteTime() const
{
    if (m_lineRate == 0)
        return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(11'000'000'000LL / m_lineRate));
}

int PtyLine::TransferMs(size_t n) const
{
    if (m_lineRate == 0)
        return 0;
    return int((uint64_t(n) * 11000u + m_lineRate - 1) / m_lineRate);
}

void PtyLine::Pump(int waitMs)
{
    pollfd pfd{m_master, POLLIN, 0};
    const int r = ::poll(&pfd, 1, std::max(0, waitMs));
    if (r <= 0) {
        IdleChecks();
        return;
    }
    if (!(pfd.revents & POLLIN)) {
        // A hang-up without data: nothing to read, do not spin.
        if (waitMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(waitMs, 10)));
        return;
    }
    uint8_t buffer[4096];
    const ssize_t got = ::read(m_master, buffer, sizeof buffer);
    if (got <= 0)
        return;
    // Each byte becomes visible only once the emulated line would have delivered it.
    const auto now = Clock::now();
    const auto byteTime = ByteTime();
    Clock::time_point at = std::max(now, m_rxFreeAt);
    for (ssize_t i = 0; i < got; ++i) {
        at += byteTime;
        m_rx.push_back(buffer[i]);
        m_rxAt.push_back(at);
    }
    m_rxFreeAt = at;
}

void PtyLine::WatchOutput(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode))
        m_watchedOutput = fd;
}

void PtyLine::IdleChecks()
{
    const auto now = Clock::now();
    if (now - m_idleCheckedAt < std::chrono::seconds(1))
        return;
    m_idleCheckedAt = now;
    if (m_watchedOutput >= 0) {
        // A pipe whose reading end is gone reports an error to its writer.
        pollfd pfd{m_watchedOutput, 0, 0};
        if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLERR | POLLHUP)))
            m_orphaned = true;
    }
    ReleaseStaleExclusive();
}

// The PC opens its port exclusively. The flag belongs to the terminal, which lives as long as
// this process holds it, so after the PC has closed the device nobody else could open it
// again. The flag is dropped (checked once per idle second) when no other process has the
// device open.
void PtyLine::ReleaseStaleExclusive()
{
    int exclusive = 0;
    if (::ioctl(m_slave, TIOCGEXCL, &exclusive) != 0 || !exclusive)
        return;
    if (!SlaveOpenElsewhere())
        ::ioctl(m_slave, TIOCNXCL);
}

bool PtyLine::SlaveOpenElsewhere() const
{
    struct stat slave {};
    if (::fstat(m_slave, &slave) != 0)
        return true;
    const std::string self = std::to_string(::getpid());
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return true;
    bool found = false;
    while (dirent *entry = ::readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
            continue;
        const std::string fdDir = "/proc/" + pid + "/fd";
        DIR *fds = ::opendir(fdDir.c_str());
        if (!fds)
            continue;
        while (dirent *fdEntry = ::readdir(fds)) {
            struct stat st {};
            const std::string path = fdDir + "/" + fdEntry->d_name;
            if (fdEntry->d_name[0] != '.' && ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode)
                && st.st_rdev == slave.st_rdev) {
                found = true;
                break;
            }
        }
        ::closedir(fds);
        if (found)
            break;
    }
    ::closedir(proc);
    return found;
}

int PtyLine::ReadByte(int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    for (;;) {
        if (!m_rx.empty()) {
            if (m_rxAt.front() <= Clock::now()) {
                const int b = m_rx.front();
                m_rx.pop_front();
                m_rxAt.pop_front();
                return b;
            }
            if (m_rxAt.front() > deadline)
                return -1;
            std::this_thread::sleep_until(m_rxAt.front());
            continue;
        }
        if (Stopping())
            return -1;
        const int left = MsUntil(deadline);
        if (left <= 0) {
            Pump(0);
            if (m_rx.empty())
                return -1;
            continue;
        }
        Pump(std::min(left, 50));
    }
}

bool PtyLine::ReadExact(uint8_t *buffer, size_t n, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    for (size_t i = 0; i < n; ++i) {
        const int b = ReadByte(MsUntil(deadline));
        if (b < 0)
            return false;
        buffer[i] = uint8_t(b);
    }
    return true;
}

size_t PtyLine::ReadWithGap(uint8_t *buffer, size_t n, int firstMs, int gapMs)
{
    size_t got = 0;
    while (got < n) {
        const int b = ReadByte(got == 0 ? firstMs : gapMs);
        if (b < 0)
            break;
        buffer[got++] = uint8_t(b);
    }
    return got;
}

void PtyLine::Unread(uint8_t byte)
{
    m_rx.push_front(byte);
    m_rxAt.push_front(Clock::now());
}

void PtyLine::DiscardInput()
{
    Pump(0);
    m_rx.clear();
    m_rxAt.clear();
}

bool PtyLine::Write(const uint8_t *bytes, size_t n)
{
    const auto byteTime = ByteTime();
    m_txFreeAt = std::max(m_txFreeAt, Clock::now());
    size_t sent = 0;
    while (sent < n) {
        if (Stopping())
            return false;
        // At full speed everything may go; when paced, only what the line has carried by now.
        size_t allowed = n - sent;
        if (byteTime != Clock::duration::zero()) {
            const auto now = Clock::now();
            const auto due = m_txFreeAt + byteTime;
            if (due > now) {
                std::this_thread::sleep_until(due);
                continue;
            }
            allowed = std::min<size_t>(allowed, size_t((now - m_txFreeAt) / byteTime));
        }
        pollfd pfd{m_master, POLLOUT, 0};
        if (::poll(&pfd, 1, 2000) <= 0 || !(pfd.revents & POLLOUT))
            return false;
        const ssize_t w = ::write(m_master, bytes + sent, allowed);
        if (w < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            return false;
        }
        sent += size_t(w);
        if (byteTime != Clock::duration::zero())
            m_txFreeAt += byteTime * w;
    }
    return true;
}
