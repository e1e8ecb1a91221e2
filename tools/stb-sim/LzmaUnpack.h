// Unpacks the "LZMA alone" data of a compressed transfer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class LzmaUnpack {
public:
    // Decodes a 13-byte header plus LZMA1 stream (with or without end marker) that must give
    // exactly expectedSize bytes. False on any error or size mismatch.
    static bool Decode(const uint8_t *data, size_t n, size_t expectedSize, std::vector<uint8_t> &out);
};
