// In-process LZMA encoding of transfer data in the "LZMA alone" format the STB unpacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Encodes count bytes: 13-byte header (properties 0x6C for lc=0 lp=2 pb=2, LE32 dictionary
// size 8 MiB, LE64 uncompressed size) and the raw LZMA stream without end marker.
// False when liblzma fails.
bool EncodeLzmaAlone(const uint8_t *data, size_t count, std::vector<uint8_t> &encoded);

// 0: data now holds the encodedCount encoded bytes (encodedCount <= count).
// 1: the encoded form would be larger; encodedCount = count, data unchanged.
// 41: the encoder failed; encodedCount = count, data unchanged (sent unencoded).
int CompressForTransfer(uint8_t *data, size_t count, size_t &encodedCount);
