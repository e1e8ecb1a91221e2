// Wire encoding and decoding of link packets, free of any I/O so that it can be tested and fuzzed.
#pragma once

#include "link/LinkPacket.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class PacketCodec
{
public:
    // The 19-byte header: "HEAD", type, flag, sequence, retry, length, header CRC.
    static std::array<uint8_t, kPacketHeaderSize> EncodeHeader(const LinkPacket &packet);
    // Header, data and data CRC as they go on the wire.
    static std::vector<uint8_t> Encode(const LinkPacket &packet);

    // Decodes the 15 bytes after the magic into packet and clears its data area.
    // Returns 0, 29 (header CRC wrong) or 30 (length beyond the data area; nothing more may
    // be read). On 0, wireBytes is the number of data bytes that follow on the wire
    // (4 for a blank packet, else the length); the data CRC follows them.
    static int DecodeHeader(const uint8_t *afterMagic, LinkPacket &packet, size_t &wireBytes);
    // Checks the wireBytes data bytes and their CRC (wireBytes + 4 bytes at body) and fills
    // the packet's data, 0xFF-filling a blank packet. Returns 0 or 31.
    static int DecodeBody(const uint8_t *body, size_t wireBytes, LinkPacket &packet);

    // Receives one packet from a byte buffer the way the link does from the line: skips
    // everything in front of "HEAD", then decodes. Returns 0, 27 (no magic), 28 (header cut
    // short), 29, 30 (oversize or data cut short) or 31. consumed gets the bytes used.
    static int DecodeBuffer(const uint8_t *bytes, size_t size, LinkPacket &packet, size_t &consumed);
};
