// Moves one field of a node record in and out as text: integers as decimal, texts as UTF-8.
#pragma once

#include "layout/FieldDesc.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class LayoutSet;

class FieldCodec
{
public:
    // Number of bytes from the record start that reading or writing the field touches. An Integer
    // counts only the bytes its bits occupy: a record need not be a multiple of four bytes long, so
    // the word of its last field may run past the record's end.
    static size_t FieldEnd(const FieldDesc &field)
    {
        if (field.kind == FieldKind::Integer) {
            // 64-bit sum: a damaged cache may give any width.
            const int64_t lastBit = std::clamp<int64_t>(int64_t(field.bitOffset) + std::max(field.bitWidth, 1) - 1, 0, 31);
            return size_t(field.wordIndex) * 4 + size_t(lastBit / 8) + 1;
        }
        return ByteStart(field) + size_t(field.sizeBits / 8);
    }

    // Reads the field of a record of `available` bytes. Fails when the field or the element lies
    // beyond them. An IntArray of another element width than 8, 16 or 32 succeeds untouched.
    static bool Read(const FieldDesc &field, const uint8_t *record, size_t available, int element,
                     std::string &out);
    // Writes the field; an integer text goes through ParseTemplateNumber, a text that does not fit
    // the field (or is empty) leaves it all zero. IntArray texts go into the first element.
    static bool Write(const FieldDesc &field, uint8_t *record, size_t available, std::string_view text);

    // The numeric value of an Integer field or of one IntArray element (8, 16 or 32 bits).
    static bool ReadInt(const FieldDesc &field, const uint8_t *record, size_t available, int element, int32_t &out);
    static bool WriteInt(const FieldDesc &field, uint8_t *record, size_t available, uint32_t value);

    // The raw bytes of an IntArray field, and their replacement.
    static bool ReadRawArray(const FieldDesc &field, const uint8_t *record, size_t available, std::string &out);
    static bool WriteRawArray(const FieldDesc &field, uint8_t *record, size_t available, std::string_view bytes);

    // Byte offset of an IntArray or String field's first byte.
    static size_t ByteStart(const FieldDesc &field)
    {
        const size_t start = size_t(field.wordIndex) * 4;
        if (field.kind == FieldKind::String)
            return start + size_t((field.bitOffset + 7) / 8);
        return start + size_t(field.bitOffset / 8);
    }
};

// Field access on a record held in any buffer, by declaration-order index. An IntArray reads and
// writes its raw bytes here.
bool GetFieldText(const LayoutSet &layouts, NodeKind kind, const uint8_t *record, size_t available, int fieldIndex,
                  std::string &out);
bool SetFieldText(const LayoutSet &layouts, NodeKind kind, uint8_t *record, size_t available, int fieldIndex,
                  std::string_view text);
