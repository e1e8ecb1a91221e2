// Test helper: a pseudo-terminal pair whose master side plays the STB with raw bytes.
#pragma once

#include "core/ByteOrder.h"
#include "link/CUpgradeLink.h"
#include "link/LinkCrc.h"
#include "link/PacketCodec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

class PtyStb
{
public:
    PtyStb()
    {
        char name[128] = {};
        termios tio {};
        cfmakeraw(&tio);
        if (openpty(&m_master, &m_slave, name, &tio, nullptr) == 0)
            m_path = name;
    }
    ~PtyStb()
    {
        Join();
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    PtyStb(const PtyStb &) = delete;
    PtyStb &operator=(const PtyStb &) = delete;

    const std::string &Path() const { return m_path; }
    bool Ok() const { return m_master >= 0 && !m_path.empty(); }

    // Runs the STB's side on its own thread.
    void Run(std::function<void(PtyStb &)> script)
    {
        m_thread = std::thread([this, script] { script(*this); });
    }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    void Write(const uint8_t *bytes, size_t n)
    {
        size_t done = 0;
        while (done < n) {
            ssize_t w = ::write(m_master, bytes + done, n - done);
            if (w > 0)
                done += size_t(w);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Write(const std::vector<uint8_t> &bytes) { Write(bytes.data(), bytes.size()); }
    void Write(const std::string &text) { Write(reinterpret_cast<const uint8_t *>(text.data()), text.size()); }
    void WriteByte(uint8_t b) { Write(&b, 1); }
    void WriteBe32(uint32_t v)
    {
        uint8_t b[4];
        ByteOrder::WriteBe32(b, v);
        Write(b, 4);
    }
    // Bytes followed by their big-endian CRC.
    void WriteWithCrc(const std::vector<uint8_t> &bytes)
    {
        Write(bytes);
        WriteBe32(LinkCrc(kCrcStart, bytes.data(), bytes.size()));
    }

    // Exactly n bytes within the time-out.
    bool Read(uint8_t *out, size_t n, int timeoutMs = 3000)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        size_t got = 0;
        while (got < n) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0)
                return false;
            pollfd pfd {m_master, POLLIN, 0};
            if (::poll(&pfd, 1, int(left)) <= 0)
                continue;
            ssize_t r = ::read(m_master, out + got, n - got);
            if (r > 0)
                got += size_t(r);
        }
        return true;
    }
    int ReadByte(int timeoutMs = 3000)
    {
        uint8_t b;
        return Read(&b, 1, timeoutMs) ? b : -1;
    }
    // Everything that arrives until the line stays quiet for quietMs.
    std::vector<uint8_t> Drain(int quietMs = 100)
    {
        std::vector<uint8_t> all;
        uint8_t b;
        while (Read(&b, 1, quietMs))
            all.push_back(b);
        return all;
    }
    // Echoes every character of a text command until its carriage return; returns the text.
    std::string EchoLine(int timeoutMs = 3000)
    {
        std::string text;
        for (;;) {
            int b = ReadByte(timeoutMs);
            if (b < 0)
                return text;
            WriteByte(uint8_t(b));
            text += char(b);
            if (b == '\r')
                return text;
        }
    }
    // One packet from the PC.
    bool ReadPacket(LinkPacket &packet, int timeoutMs = 3000)
    {
        uint8_t head[kPacketHeaderSize];
        if (!Read(head, 4, timeoutMs) || std::memcmp(head, "HEAD", 4) != 0)
            return false;
        if (!Read(head + 4, 15, timeoutMs))
            return false;
        size_t wireBytes = 0;
        if (PacketCodec::DecodeHeader(head + 4, packet, wireBytes) != 0)
            return false;
        std::vector<uint8_t> body(wireBytes + 4);
        if (!Read(body.data(), body.size(), timeoutMs))
            return false;
        return PacketCodec::DecodeBody(body.data(), wireBytes, packet) == 0;
    }
    void SendPacket(const LinkPacket &packet) { Write(PacketCodec::Encode(packet)); }
    void SendStatus(uint32_t sequence, uint8_t statusByte, uint32_t code)
    {
        LinkPacket p;
        p.type = kPacketStatus;
        p.sequence = sequence;
        p.length = 5;
        p.data[0] = statusByte;
        ByteOrder::WriteBe32(p.data.data() + 1, code);
        SendPacket(p);
    }
    void SendData(uint32_t sequence, uint32_t number, const std::vector<uint8_t> &payload, uint8_t flag = 0)
    {
        LinkPacket p;
        p.type = kPacketData;
        p.flag = flag;
        p.sequence = sequence;
        p.length = uint32_t(payload.size() + 4);
        ByteOrder::WriteBe32(p.data.data(), number);
        std::copy(payload.begin(), payload.end(), p.data.begin() + 4);
        SendPacket(p);
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
    std::thread m_thread;
};

// A link whose port is open on the PC side of a scripted STB.
class PtyLinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(stb.Ok());
        ASSERT_EQ(link.LinkOpenPort(stb.Path(), 115200, 2, 1), 0);
    }
    PtyStb stb;
    CUpgradeLink link;
};
