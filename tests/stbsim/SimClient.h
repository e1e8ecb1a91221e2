// A tiny hand-written PC side for the simulator tests: starts stb-sim and talks raw bytes to it.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace simtest {

using Bytes = std::vector<uint8_t>;

// Bit-wise CRC-32/MPEG-2, written independently of the link code on purpose.
inline uint32_t Crc(const uint8_t *p, size_t n, uint32_t c = 0xFFFFFFFFu)
{
    for (size_t i = 0; i < n; ++i) {
        c ^= uint32_t(p[i]) << 24;
        for (int b = 0; b < 8; ++b)
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : (c << 1);
    }
    return c;
}
inline uint32_t Crc(const Bytes &b) { return Crc(b.data(), b.size()); }

inline uint32_t Be32(const uint8_t *p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }
inline void PutBe32(Bytes &out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(uint8_t(v >> s));
}
inline Bytes Text(const std::string &s) { return Bytes(s.begin(), s.end()); }

struct Packet {
    uint8_t type = 0;
    uint8_t flag = 0;
    uint32_t sequence = 0;
    uint8_t retry = 0;
    uint32_t length = 0;     // announced length
    size_t wireData = 0;     // data bytes that actually travelled
    Bytes data;
};

inline Bytes EncodePacket(uint8_t type, uint32_t sequence, uint8_t retry, const Bytes &data)
{
    Bytes out = Text("HEAD");
    out.push_back(type);
    out.push_back(0);
    PutBe32(out, sequence);
    out.push_back(retry);
    PutBe32(out, uint32_t(data.size()));
    PutBe32(out, Crc(out.data() + 4, 11));
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc(data));
    return out;
}

class SimProcess {
public:
    ~SimProcess()
    {
        Stop();
        if (m_out >= 0)
            ::close(m_out);
    }

    // Starts the simulator with the arguments, reads its DEVICE line and opens the device raw.
    bool Start(const std::vector<std::string> &args)
    {
        int pipeFd[2];
        if (::pipe(pipeFd) != 0)
            return false;
        const std::string program = std::string(DRAVEL_BIN_DIR) + "/stb-sim";
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(pipeFd[1], 1);
            ::close(pipeFd[0]);
            ::close(pipeFd[1]);
            std::vector<char *> argv;
            for (auto &a : all)
                argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(pipeFd[1]);
        m_out = pipeFd[0];
        std::string lineText;
        char c = 0;
        while (lineText.size() < 256) {
            pollfd pfd{m_out, POLLIN, 0};
            if (::poll(&pfd, 1, 5000) <= 0 || ::read(m_out, &c, 1) != 1)
                return false;
            if (c == '\n')
                break;
            lineText += c;
        }
        if (lineText.rfind("DEVICE ", 0) != 0)
            return false;
        device = lineText.substr(7);
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return false;
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
        return true;
    }

    // SIGTERM and wait; returns the exit status (or -1 when it did not end normally).
    int Stop()
    {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
        if (m_pid <= 0)
            return m_status;
        ::kill(m_pid, SIGTERM);
        return Wait(5000);
    }

    // Waits for the process to end by itself.
    int Wait(int timeoutMs)
    {
        if (m_pid <= 0)
            return m_status;
        int status = 0;
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return m_status;
            }
            ::usleep(10000);
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_status = -1;
        return m_status;
    }

    // Closes our end of the simulator's stdout, as the death of the starting process would.
    void CloseOutput()
    {
        if (m_out >= 0)
            ::close(m_out);
        m_out = -1;
    }

    void Write(const Bytes &b)
    {
        size_t done = 0;
        while (done < b.size()) {
            const ssize_t w = ::write(fd, b.data() + done, b.size() - done);
            if (w > 0)
                done += size_t(w);
            else if (w < 0 && errno != EAGAIN && errno != EINTR)
                return;
            else
                ::usleep(1000);
        }
    }
    void Write(const std::string &s) { Write(Text(s)); }

    // Up to n bytes, stopping at the deadline.
    Bytes Read(size_t n, int timeoutMs)
    {
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < n) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0)
                break;
            pollfd pfd{fd, POLLIN, 0};
            if (::poll(&pfd, 1, int(left)) <= 0)
                break;
            uint8_t buf[4096];
            const ssize_t got = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
            if (got > 0)
                out.insert(out.end(), buf, buf + got);
        }
        return out;
    }

    // Everything that arrives until `quietMs` pass without a byte.
    Bytes ReadUntilQuiet(int quietMs)
    {
        Bytes out;
        for (;;) {
            Bytes more = Read(65536, quietMs);
            if (more.empty())
                return out;
            out.insert(out.end(), more.begin(), more.end());
        }
    }

    // Sends a text command and checks that every character is echoed.
    bool Echoed(const std::string &command)
    {
        Write(command);
        return Read(command.size(), 1000) == Text(command);
    }

    void SendPacket(uint8_t type, uint32_t sequence, uint8_t retry, const Bytes &data)
    {
        Write(EncodePacket(type, sequence, retry, data));
    }
    void SendCommand(uint32_t sequence, const std::string &text, uint8_t retry = 0)
    {
        SendPacket(0, sequence, retry, Text(text));
    }
    void SendNumbered(uint8_t type, uint32_t sequence, uint32_t number, const Bytes &payload = {})
    {
        Bytes data;
        PutBe32(data, number);
        data.insert(data.end(), payload.begin(), payload.end());
        SendPacket(type, sequence, 0, data);
    }

    // Receives one packet, checking both CRCs; false on time-out or damage.
    bool ReceivePacket(Packet &p, int timeoutMs = 2000)
    {
        Bytes magic;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (magic != Text("HEAD")) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            Bytes b = Read(1, int(std::max<long long>(left, 0)));
            if (b.empty())
                return false;
            magic.push_back(b[0]);
            if (magic.size() > 4)
                magic.erase(magic.begin());
        }
        Bytes h = Read(15, 1000);
        if (h.size() != 15)
            return false;
        Bytes head = Text("HEAD");
        head.insert(head.end(), h.begin(), h.end());
        if (Crc(head.data() + 4, 11) != Be32(head.data() + 15))
            return false;
        p.type = head[4];
        p.flag = head[5];
        p.sequence = Be32(head.data() + 6);
        p.retry = head[10];
        p.length = Be32(head.data() + 11);
        if (p.length > 2044)
            return false;
        p.wireData = (p.type == 1 && p.flag != 0) ? 4 : p.length;
        Bytes rest = Read(p.wireData + 4, 2000);
        if (rest.size() != p.wireData + 4 || Crc(rest.data(), p.wireData) != Be32(rest.data() + p.wireData))
            return false;
        p.data.assign(rest.begin(), rest.begin() + std::ptrdiff_t(p.wireData));
        p.data.resize(p.length, 0xFF);
        return true;
    }

    // Receives a status packet and returns {status byte, code}; status 0xFF on failure.
    std::pair<uint8_t, uint32_t> ReceiveStatus(uint32_t sequence, int timeoutMs = 2000)
    {
        Packet p;
        if (!ReceivePacket(p, timeoutMs) || p.type != 3 || p.sequence != sequence || p.data.size() != 5)
            return {0xFF, 0};
        return {p.data[0], Be32(p.data.data() + 1)};
    }

    std::string device;
    int fd = -1;

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_status = -1;
};

} // namespace simtest
