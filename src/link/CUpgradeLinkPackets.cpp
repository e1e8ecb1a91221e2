// CUpgradeLink: packet send and receive, numbering, and the packet command exchanges.
#include "link/CUpgradeLink.h"

#include "link/LinkCrc.h"
#include "link/PacketCodec.h"

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Wait for each of the three bytes after an 'H'. They follow the 'H' back to back; 1 ms is
// below what a pseudo-terminal or a USB adapter guarantees, so allow a little more.
constexpr int kMagicByteTimeoutMs = 20;

} // namespace

int CUpgradeLink::SendPacket(const LinkPacket &packet)
{
    const char *kFormat = "\r\n->Error:%s";
    auto header = PacketCodec::EncodeHeader(packet);
    if (LinkWrite(header.data(), header.size()) != int(header.size())) {
        Report(0, kFormat, "Send Packet Header Error!");
        return kLinkSendHeadError;
    }
    size_t n = std::min<size_t>(packet.length, kPacketDataSize);
    if (n > 0 && LinkWrite(packet.data.data(), n) != int(n)) {
        Report(0, kFormat, "Send Packet Data Error!");
        return kLinkSendDataPacketError;
    }
    uint8_t crc[4];
    ByteOrder::WriteBe32(crc, LinkCrc(kCrcStart, packet.data.data(), n));
    if (LinkWrite(crc, 4) != 4) {
        Report(0, kFormat, "Send Packet Data CRC Error!");
        return kLinkSendCrcError;
    }
    return kLinkOk;
}

int CUpgradeLink::ReceivePacket(LinkPacket &packet, int timeoutMs)
{
    const char *kFormat = "\r\n->Error:%s";
    const auto start = Clock::now();
    auto elapsedMs = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    uint8_t scan = 0;
    bool found = false;
    while (!found && elapsedMs() < timeoutMs) {
        if (scan == 'H') {
            static const uint8_t rest[3] = {'E', 'A', 'D'};
            int matched = 0;
            for (; matched < 3; ++matched) {
                uint8_t b = 0;
                if (LinkReadExact(&b, 1, kMagicByteTimeoutMs) != 0) {
                    scan = 0;
                    break;
                }
                if (b != rest[matched]) {
                    scan = b; // a doubled 'H' may start the magic itself
                    break;
                }
            }
            found = matched == 3;
        } else {
            long long left = timeoutMs - elapsedMs();
            if (left <= 0)
                break;
            // Sleeps in poll() until a byte arrives or the deadline passes.
            if (LinkReadExact(&scan, 1, int(left)) != 0)
                scan = 0;
        }
    }
    if (!found)
        return kLinkNoPacket;

    uint8_t header[15];
    if (LinkReadExact(header, sizeof header, 300) != 0) {
        Report(0, kFormat, "Receive packet head error!");
        return kLinkReceiveHeadError;
    }
    size_t wireBytes = 0;
    int status = PacketCodec::DecodeHeader(header, packet, wireBytes);
    if (status == kLinkHeadCrcError) {
        Report(0, kFormat, "Check packet head CRC error!");
        return status;
    }
    if (status != kLinkOk) {
        Report(0, kFormat, "Receive packet data error!");
        return status;
    }
    std::array<uint8_t, kPacketDataSize> body {};
    if (LinkReadExact(body.data(), wireBytes + 4, int(wireBytes) + 104) != 0) {
        Report(0, kFormat, "Receive packet data error!");
        return kLinkReceiveDataError;
    }
    status = PacketCodec::DecodeBody(body.data(), wireBytes, packet);
    if (status != kLinkOk)
        Report(0, kFormat, "Check packet data CRC error!");
    return status;
}

int CUpgradeLink::SendCommandPacket(const std::string &text, bool resend)
{
    if (resend) {
        ++m_retry;
    } else {
        m_retry = 0;
        ++m_sequence;
    }
    LinkPacket packet;
    packet.type = kPacketCommand;
    packet.sequence = m_sequence;
    packet.retry = m_retry;
    packet.length = uint32_t(std::min(text.size(), size_t(kMaxPacketLength)));
    std::copy_n(text.begin(), packet.length, packet.data.begin());
    return SendPacket(packet);
}

int CUpgradeLink::SendDataPacket(uint32_t packetNumber, const uint8_t *bytes, size_t count)
{
    LinkPacket packet;
    packet.type = kPacketData;
    packet.sequence = m_sequence;
    packet.retry = m_retry;
    count = std::min(count, size_t(kMaxPacketLength - 4));
    packet.length = uint32_t(count + 4);
    ByteOrder::WriteBe32(packet.data.data(), packetNumber);
    std::copy_n(bytes, count, packet.data.begin() + 4);
    return SendPacket(packet);
}

int CUpgradeLink::SendRequestPacket(uint32_t packetNumber)
{
    LinkPacket packet;
    packet.type = kPacketRequest;
    packet.sequence = m_sequence;
    packet.retry = m_retry;
    packet.length = 4;
    ByteOrder::WriteBe32(packet.data.data(), packetNumber);
    return SendPacket(packet);
}

int CUpgradeLink::SendStatusPacket(uint8_t statusByte, uint32_t code)
{
    LinkPacket packet;
    packet.type = kPacketStatus;
    packet.sequence = m_sequence;
    packet.retry = m_retry;
    packet.length = 5;
    packet.data[0] = statusByte;
    ByteOrder::WriteBe32(packet.data.data() + 1, code);
    return SendPacket(packet);
}

namespace {

// A failure status byte with code 0 must not read as success.
int FailureCode(const LinkPacket &packet)
{
    uint32_t code = packet.StatusCode();
    return code == 0 ? kLinkGenericError : int(code);
}

} // namespace

int CUpgradeLink::CommandWithStatus(const std::string &text, int timeoutMs, uint8_t &statusByte,
                                    bool alwaysResend, bool report)
{
    LinkPurge();
    m_stalled = false;
    MarkProgress();
    int status = kLinkGenericError;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0 && StallExpired())
            return kLinkTimeout;
        status = SendCommandPacket(text, alwaysResend || attempt > 0);
        LinkPacket reply;
        if (status == kLinkOk)
            status = ReceivePacket(reply, timeoutMs);
        if (status == kLinkOk) {
            if (reply.type != kPacketStatus || reply.sequence != m_sequence || reply.length != 5) {
                status = kLinkPacketNotRecognized;
            } else {
                statusByte = reply.StatusByte();
                if (statusByte == 0 || statusByte == 2 || statusByte == 3) {
                    if (report && attempt > 0)
                        Report(0, "%s", "OK");
                    return kLinkOk;
                }
                status = FailureCode(reply);
                if (unsigned(status) >= kFinalStatusBase)
                    return status;
            }
        }
        if (report)
            ReportFailedAttempt(attempt, status, text);
    }
    return status;
}

void CUpgradeLink::ReportFailedAttempt(int attempt, int status, const std::string &text)
{
    if (attempt == 0) {
        std::string statusText;
        StatusText(status, statusText);
        Report(0, "\r\n->Error:%s in execute command:%s Retry.", statusText.c_str(), text.c_str());
    } else {
        Report(0, "%s", ".");
    }
}

int CUpgradeLink::ExecuteCommand(const std::string &text, int timeoutMs, uint8_t &statusByte)
{
    return CommandWithStatus(text, timeoutMs, statusByte, false, true);
}

int CUpgradeLink::ConfirmCommand(const std::string &text, int timeoutMs, uint8_t &statusByte)
{
    return CommandWithStatus(text, timeoutMs, statusByte, true, false);
}

int CUpgradeLink::QueryCommand(const std::string &text, int timeoutMs, uint8_t &statusByte, uint32_t &length,
                               std::vector<uint8_t> &data)
{
    LinkPurge();
    m_stalled = false;
    MarkProgress();
    int status = kLinkGenericError;
    bool sendNew = true;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0 && StallExpired())
            return kLinkTimeout;
        status = SendCommandPacket(text, !sendNew);
        sendNew = false;
        LinkPacket reply;
        if (status == kLinkOk)
            status = ReceivePacket(reply, timeoutMs);
        bool silent = false;
        if (status == kLinkOk) {
            if (reply.type == kPacketData && reply.sequence == m_sequence) {
                length = reply.length;
                data.assign(reply.data.begin(), reply.data.begin() + reply.length);
                if (attempt > 0)
                    Report(0, "%s", "OK");
                return kLinkOk;
            }
            if (reply.type == kPacketStatus && reply.sequence == m_sequence && reply.StatusByte() == 3) {
                statusByte = 3;
                status = kLinkCommandExecuted;
                sendNew = true;
                silent = true;
            } else if (reply.type == kPacketStatus && reply.sequence == m_sequence && reply.StatusByte() == 1) {
                statusByte = 1;
                status = FailureCode(reply);
                if (unsigned(status) >= kFinalStatusBase)
                    return status;
            } else {
                status = kLinkPacketNotRecognized;
            }
        }
        if (!silent)
            ReportFailedAttempt(attempt, status, text);
    }
    return status;
}
