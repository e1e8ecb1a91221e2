// Encoding and checking of link packets on the box's side.
#include "StbPacketCodec.h"

#include "core/ByteOrder.h"
#include "link/LinkCrc.h"

#include <cstring>

std::vector<uint8_t> StbPacketCodec::Encode(const SimPacket &packet, bool blank)
{
    const bool isBlank = blank && packet.type == SimPacket::Data && packet.data.size() >= 4;
    const size_t wireData = isBlank ? 4 : packet.data.size();
    std::vector<uint8_t> out(kHeaderSize + wireData + 4);
    uint8_t *p = out.data();
    std::memcpy(p, "HEAD", 4);
    p[4] = packet.type;
    p[5] = isBlank ? uint8_t(packet.flag ? packet.flag : 1) : packet.flag;
    ByteOrder::WriteBe32(p + 6, packet.sequence);
    p[10] = packet.retry;
    ByteOrder::WriteBe32(p + 11, uint32_t(packet.data.size()));
    ByteOrder::WriteBe32(p + 15, LinkCrc(kCrcStart, p + 4, 11));
    if (wireData)
        std::memcpy(p + kHeaderSize, packet.data.data(), wireData);
    ByteOrder::WriteBe32(p + kHeaderSize + wireData, LinkCrc(kCrcStart, p + kHeaderSize, wireData));
    return out;
}

bool StbPacketCodec::HeaderLength(const uint8_t *header, uint32_t &length)
{
    if (std::memcmp(header, "HEAD", 4) != 0)
        return false;
    if (LinkCrc(kCrcStart, header + 4, 11) != ByteOrder::ReadBe32(header + 15))
        return false;
    length = ByteOrder::ReadBe32(header + 11);
    return true;
}

StbPacketCodec::Result StbPacketCodec::Decode(const std::vector<uint8_t> &raw, SimPacket &packet)
{
    if (raw.size() < kHeaderSize + 4)
        return Result::Short;
    if (std::memcmp(raw.data(), "HEAD", 4) != 0)
        return Result::BadMagic;
    uint32_t length = 0;
    if (!HeaderLength(raw.data(), length))
        return Result::HeaderCrc;
    if (length > kMaxDataLength)
        return Result::TooLong;
    if (raw.size() < kHeaderSize + size_t(length) + 4)
        return Result::Short;
    if (raw.size() > kHeaderSize + size_t(length) + 4)
        return Result::Trailing;
    const uint8_t *data = raw.data() + kHeaderSize;
    if (LinkCrc(kCrcStart, data, length) != ByteOrder::ReadBe32(data + length))
        return Result::DataCrc;
    packet.type = raw[4];
    packet.flag = raw[5];
    packet.sequence = ByteOrder::ReadBe32(raw.data() + 6);
    packet.retry = raw[10];
    packet.data.assign(data, data + length);
    return Result::Ok;
}

SimPacket StbPacketCodec::MakeStatus(uint32_t sequence, uint8_t retry, uint8_t status, uint32_t code)
{
    SimPacket p;
    p.type = SimPacket::Status;
    p.sequence = sequence;
    p.retry = retry;
    p.data.resize(5);
    p.data[0] = status;
    ByteOrder::WriteBe32(p.data.data() + 1, code);
    return p;
}

SimPacket StbPacketCodec::MakeData(uint32_t sequence, uint8_t retry, uint32_t number, const uint8_t *payload, size_t n)
{
    SimPacket p;
    p.type = SimPacket::Data;
    p.sequence = sequence;
    p.retry = retry;
    p.data.resize(4 + n);
    ByteOrder::WriteBe32(p.data.data(), number);
    if (n)
        std::memcpy(p.data.data() + 4, payload, n);
    return p;
}
