// CRC-32/MPEG-2, the checksum of every packet, chunk and dump on the serial link.
#pragma once

#include <cstddef>
#include <cstdint>

// Polynomial 0x04C11DB7, most significant bit first, no reflection, no final XOR.
// Callers start with 0xFFFFFFFF; the register is returned so ranges can be chained.
uint32_t LinkCrc(uint32_t start, const uint8_t *bytes, size_t count);

// Fills the 256-entry table; LinkCrc builds it on first use, so calling this is optional.
void BuildCrcTable();

constexpr uint32_t kCrcStart = 0xFFFFFFFFu;
