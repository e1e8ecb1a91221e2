// The in-memory packet of the packet protocol (protocol version 3.0 and up).
#pragma once

#include "core/ByteOrder.h"

#include <array>
#include <cstddef>
#include <cstdint>

constexpr size_t kPacketDataSize = 2048;
constexpr size_t kPacketHeaderSize = 19; // magic, 11 header bytes, header CRC
// Largest length whose data and data CRC still fit the data area.
constexpr uint32_t kMaxPacketLength = kPacketDataSize - 4;
// Payload bytes per data packet the PC sends, and per block in every transfer form.
constexpr size_t kBlockSize = 1024;

enum PacketType : uint8_t { kPacketCommand = 0, kPacketData = 1, kPacketRequest = 2, kPacketStatus = 3 };

struct LinkPacket {
    uint8_t type = 0;
    uint8_t flag = 0; // non-zero on a received data packet: blank (erased) packet
    uint32_t sequence = 0;
    uint8_t retry = 0;
    uint32_t length = 0;
    std::array<uint8_t, kPacketDataSize> data {};

    bool IsBlank() const { return type == kPacketData && flag != 0; }
    // Data and request packets start with their packet number.
    uint32_t PacketNumber() const { return ByteOrder::ReadBe32(data.data()); }
    // Status packets: status byte, then a 32-bit code.
    uint8_t StatusByte() const { return data[0]; }
    uint32_t StatusCode() const { return ByteOrder::ReadBe32(data.data() + 1); }
};
