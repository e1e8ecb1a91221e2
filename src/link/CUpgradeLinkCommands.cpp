// CUpgradeLink: connection test, version and chunk table, address, move and reboot.
#include "link/CUpgradeLink.h"

#include "link/LinkCrc.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

const char kBanner[] = "@ZAN PROTOCOL 3.0+";
constexpr size_t kBannerLength = sizeof kBanner - 1;
constexpr int kConnectionAttempts = 200;

std::string Format(const char *format, uint32_t a)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a);
    return text;
}

std::string Format(const char *format, uint32_t a, uint32_t b)
{
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

} // namespace

int CUpgradeLink::TestConnection(uint32_t &version, const LinkProgress &progress, const LinkCancel &cancel)
{
    const std::string command = Format("comtest %d\r", uint32_t(kBannerLength));
    m_stalled = false;
    LinkPurge();
    for (int attempt = 0; attempt < kConnectionAttempts; ++attempt) {
        if (cancel && cancel())
            return kLinkUserCanceled;
        if (progress && attempt % 5 == 0)
            progress(attempt);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        LinkPurge();
        if (LinkSendEchoed(command.data(), command.size(), 50) != kLinkOk) {
            LinkWriteByte('\r'); // end the partial line before the next attempt
            continue;
        }
        if (LinkWrite(reinterpret_cast<const uint8_t *>(kBanner), kBannerLength) != int(kBannerLength))
            continue;
        uint8_t answer[kBannerLength];
        if (LinkReadExact(answer, kBannerLength, 200) != 0)
            continue;
        bool same = true;
        bool complement = true;
        for (size_t i = 0; i < kBannerLength; ++i) {
            uint8_t b = uint8_t(kBanner[i]);
            same = same && answer[i] == b;
            complement = complement && answer[i] == uint8_t(255 - b);
        }
        if (same) {
            version = 0x20;
            return kLinkOk;
        }
        if (complement) {
            version = 0x30;
            return kLinkOk;
        }
    }
    return kLinkTargetNotConnected;
}

int CUpgradeLink::GetStbInfo(uint32_t &version, StbInfo &info)
{
    return PacketForm() ? ReadStbInfoPacket(version, info) : ReadStbInfoChar(version, info);
}

int CUpgradeLink::ReadStbInfoChar(uint32_t &version, StbInfo &info)
{
    int status = CharCommand("version -r\r", true, -1);
    if (status != kLinkOk)
        return status;
    uint8_t word[2];
    if (LinkReadExact(word, 2, 1000) != 0)
        return kLinkTimeout;
    version = 0;
    uint32_t w = (uint32_t(word[0]) << 8) | word[1]; // big-endian word
    uint32_t payloadLength = w;
    if (w >= 0xB721) {
        version = w - 0xB700;
        if (LinkReadExact(word, 2, 100) != 0)
            return kLinkTimeout;
        payloadLength = (uint32_t(word[0]) << 8) | word[1];
    }
    std::vector<uint8_t> payload(payloadLength);
    if (LinkReadExact(payload.data(), payload.size(), 5000) != 0)
        return kLinkTimeout;
    uint8_t crc[4];
    if (LinkReadExact(crc, 4, 100) != 0)
        return kLinkTimeout;
    if (LinkCrc(kCrcStart, payload.data(), payload.size()) != ByteOrder::ReadBe32(crc))
        return kLinkReadDataError;
    return ParseStbInfo(payload.data(), payload.size(), info);
}

int CUpgradeLink::ReadStbInfoPacket(uint32_t &version, StbInfo &info)
{
    uint8_t statusByte = 0;
    uint32_t length = 0;
    std::vector<uint8_t> data;
    int status = QueryCommand("version\r", 1000, statusByte, length, data);
    if (status != kLinkOk)
        return status;
    if (length < 8)
        return kLinkPacketNotRecognized;
    version = ByteOrder::ReadBe32(data.data() + 4);
    status = QueryCommand("chunk\r", 5000, statusByte, length, data);
    if (status != kLinkOk)
        return status;
    if (length < 4)
        return ParseStbInfo(data.data(), 0, info);
    return ParseStbInfo(data.data() + 4, length - 4, info);
}

int CUpgradeLink::SetAddress(uint32_t address)
{
    const std::string command = Format("address %u\r", address);
    if (!PacketForm())
        return CharCommand(command, true, 1000);
    uint8_t statusByte = 0;
    return ExecuteCommand(command, 1000, statusByte);
}

int CUpgradeLink::MoveChunk(uint32_t chunkId, uint32_t size)
{
    const std::string command = Format("move %u %u\r", chunkId, size);
    if (!PacketForm())
        return CharCommand(command, true, 10000);
    uint8_t statusByte = 0;
    return ExecuteCommand(command, 10000, statusByte);
}

int CUpgradeLink::Reboot()
{
    if (!PacketForm())
        return CharCommand("reboot\r", false, -1);
    uint8_t statusByte = 0;
    return ExecuteCommand("reboot\r", 1000, statusByte);
}
