// Wire form of link packets: "HEAD", header with its CRC, data with its CRC, big-endian fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct SimPacket {
    enum Type : uint8_t { Command = 0, Data = 1, Request = 2, Status = 3 };
    uint8_t type = 0;
    uint8_t flag = 0;
    uint32_t sequence = 0;
    uint8_t retry = 0;
    std::vector<uint8_t> data;
};

class StbPacketCodec {
public:
    static constexpr size_t kHeaderSize = 19;         // magic, fields and header CRC
    static constexpr uint32_t kMaxDataLength = 2044;  // what the PC's packet buffer can take

    enum class Result { Ok, BadMagic, Short, HeaderCrc, TooLong, DataCrc, Trailing };

    // Encodes a packet. A blank data packet (blank = true) announces all of its data but
    // carries only the first four bytes (the packet number) and their CRC.
    static std::vector<uint8_t> Encode(const SimPacket &packet, bool blank = false);
    // Data length announced by a 19-byte header whose CRC is correct; false otherwise.
    static bool HeaderLength(const uint8_t *header, uint32_t &length);
    // Decodes one complete packet from the PC (never blank).
    static Result Decode(const std::vector<uint8_t> &raw, SimPacket &packet);

    static SimPacket MakeStatus(uint32_t sequence, uint8_t retry, uint8_t status, uint32_t code);
    static SimPacket MakeData(uint32_t sequence, uint8_t retry, uint32_t number, const uint8_t *payload, size_t n);
};
