// Packet encoding and decoding shared by the link, its tests and the fuzzer.
#include "link/PacketCodec.h"

#include "link/LinkCrc.h"
#include "link/LinkStatus.h"

#include <algorithm>
#include <cstring>

std::array<uint8_t, kPacketHeaderSize> PacketCodec::EncodeHeader(const LinkPacket &packet)
{
    std::array<uint8_t, kPacketHeaderSize> h {};
    std::memcpy(h.data(), "HEAD", 4);
    h[4] = packet.type;
    h[5] = packet.flag;
    ByteOrder::WriteBe32(h.data() + 6, packet.sequence);
    h[10] = packet.retry;
    ByteOrder::WriteBe32(h.data() + 11, packet.length);
    ByteOrder::WriteBe32(h.data() + 15, LinkCrc(kCrcStart, h.data() + 4, 11));
    return h;
}

std::vector<uint8_t> PacketCodec::Encode(const LinkPacket &packet)
{
    const auto header = EncodeHeader(packet);
    const size_t n = std::min<size_t>(packet.length, kPacketDataSize);
    std::vector<uint8_t> wire(header.size() + n + 4);
    std::copy(header.begin(), header.end(), wire.begin());
    std::copy_n(packet.data.begin(), n, wire.begin() + std::ptrdiff_t(header.size()));
    ByteOrder::WriteBe32(wire.data() + header.size() + n, LinkCrc(kCrcStart, packet.data.data(), n));
    return wire;
}

int PacketCodec::DecodeHeader(const uint8_t *afterMagic, LinkPacket &packet, size_t &wireBytes)
{
    wireBytes = 0;
    if (LinkCrc(kCrcStart, afterMagic, 11) != ByteOrder::ReadBe32(afterMagic + 11))
        return kLinkHeadCrcError;
    packet.type = afterMagic[0];
    packet.flag = afterMagic[1];
    packet.sequence = ByteOrder::ReadBe32(afterMagic + 2);
    packet.retry = afterMagic[6];
    packet.length = ByteOrder::ReadBe32(afterMagic + 7);
    packet.data.fill(0);
    // The data area holds 2048 bytes: data plus its CRC must fit, blank packets included.
    if (packet.length > kMaxPacketLength)
        return kLinkReceiveDataError;
    wireBytes = packet.IsBlank() ? 4 : packet.length;
    return kLinkOk;
}

int PacketCodec::DecodeBody(const uint8_t *body, size_t wireBytes, LinkPacket &packet)
{
    if (LinkCrc(kCrcStart, body, wireBytes) != ByteOrder::ReadBe32(body + wireBytes))
        return kLinkDataCrcError;
    std::copy_n(body, wireBytes, packet.data.begin());
    if (packet.IsBlank() && packet.length > 4)
        std::fill(packet.data.begin() + 4, packet.data.begin() + packet.length, uint8_t(0xFF));
    return kLinkOk;
}

int PacketCodec::DecodeBuffer(const uint8_t *bytes, size_t size, LinkPacket &packet, size_t &consumed)
{
    consumed = size;
    const uint8_t magic[4] = {'H', 'E', 'A', 'D'};
    const uint8_t *end = bytes + size;
    const uint8_t *start = std::search(bytes, end, magic, magic + 4);
    if (start == end)
        return kLinkNoPacket;
    const uint8_t *p = start + 4;
    if (size_t(end - p) < 15) {
        consumed = size;
        return kLinkReceiveHeadError;
    }
    size_t wireBytes = 0;
    int status = DecodeHeader(p, packet, wireBytes);
    p += 15;
    consumed = size_t(p - bytes);
    if (status != kLinkOk)
        return status;
    if (size_t(end - p) < wireBytes + 4)
        return kLinkReceiveDataError;
    status = DecodeBody(p, wireBytes, packet);
    consumed = size_t(p + wireBytes + 4 - bytes);
    return status;
}
