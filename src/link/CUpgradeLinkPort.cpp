// CUpgradeLink: port-level calls, the echoed text send and the character-level exchange.
#include "link/CUpgradeLink.h"

#include "link/LinkCrc.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <thread>

CUpgradeLink::CUpgradeLink()
{
    BuildCrcTable();
}

const char *CUpgradeLink::GetLibraryVersion()
{
    return "3.0.0e";
}

void CUpgradeLink::Report(int level, const char *format, ...)
{
    if (!m_sink)
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_sink(level, text);
}

void CUpgradeLink::MarkProgress()
{
    m_lastProgress = std::chrono::steady_clock::now();
}

bool CUpgradeLink::StallExpired()
{
    if (std::chrono::steady_clock::now() - m_lastProgress < std::chrono::milliseconds(m_stallTimeoutMs))
        return false;
    m_stalled = true;
    Report(0, "\r\n->Error:%s", "no progress within the stall time-out");
    return true;
}

int CUpgradeLink::LinkOpenPort(int portNumber, int bitRate, int parity, int stopBits)
{
    return m_port.PortOpen(portNumber, bitRate, parity, stopBits) ? kLinkOk : kLinkCannotConnect;
}

int CUpgradeLink::LinkOpenPort(const std::string &devicePath, int bitRate, int parity, int stopBits)
{
    return m_port.PortOpenDevice(devicePath, bitRate, parity, stopBits) ? kLinkOk : kLinkCannotConnect;
}

int CUpgradeLink::LinkClosePort()
{
    m_port.PortClose();
    return kLinkOk;
}

int CUpgradeLink::LinkReadAvailable(uint8_t *buffer, size_t count)
{
    return m_port.PortRead(buffer, count);
}

int CUpgradeLink::LinkReadExact(uint8_t *buffer, size_t count, int timeoutMs)
{
    return m_port.PortReadExact(buffer, count, timeoutMs) ? 0 : 1;
}

int CUpgradeLink::LinkWrite(const uint8_t *bytes, size_t count)
{
    return m_port.PortWrite(bytes, count);
}

int CUpgradeLink::LinkWriteByte(uint8_t byte)
{
    return m_port.PortWrite(&byte, 1) == 1 ? 1 : 0;
}

int CUpgradeLink::LinkPurge()
{
    if (m_port.PortPurgeRx())
        return 0;
    return m_port.PortPurgeTx() ? 0 : 1;
}

int CUpgradeLink::LinkPurgeTx()
{
    return m_port.PortPurgeTx() ? 0 : 1;
}

int CUpgradeLink::LinkSendEchoed(const char *text, size_t count, int timeoutMs)
{
    for (size_t i = 0; i < count; ++i) {
        uint8_t sent = uint8_t(text[i]);
        if (!LinkWriteByte(sent))
            return kLinkSendDataError;
        uint8_t echo = 0;
        if (LinkReadExact(&echo, 1, timeoutMs) != 0)
            return kLinkReadDataError;
        if (echo != sent)
            return kLinkEchoMismatch;
    }
    return kLinkOk;
}

int CUpgradeLink::CharCommand(const std::string &text, bool pauseFirst, int okTimeoutMs)
{
    if (pauseFirst)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    LinkPurge();
    if (LinkSendEchoed(text.data(), text.size(), 200) != kLinkOk)
        return kLinkSendCommandError;
    if (okTimeoutMs < 0)
        return kLinkOk;
    uint8_t answer = 0;
    if (LinkReadExact(&answer, 1, okTimeoutMs) != 0)
        return kLinkTimeout;
    return answer == 'O' ? kLinkOk : kLinkTargetError;
}

void CUpgradeLink::DiscardInput(size_t count, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t scratch[256];
    while (count > 0 && std::chrono::steady_clock::now() < deadline) {
        // A line quiet for 50 ms has nothing more of the refused answer in flight.
        if (LinkReadExact(scratch, 1, 50) != 0)
            break;
        --count;
        const size_t piece = count < sizeof scratch ? count : sizeof scratch;
        count -= size_t(LinkReadAvailable(scratch, piece));
    }
    LinkPurge();
}
