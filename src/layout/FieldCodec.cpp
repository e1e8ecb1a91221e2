// Bit-level encodings of Integer, IntArray and String fields inside a record.
#include "layout/FieldCodec.h"

#include "core/ByteOrder.h"
#include "layout/LayoutSet.h"
#include "layout/TemplateNumber.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMinStringBytes = 2;
constexpr size_t kMaxReadableStringBytes = 63;

// The 32-bit little-endian word of an Integer field from its first `bytes` bytes, the others taken
// as zero: they are masked away, and they may lie beyond the record.
uint32_t ReadFieldWord(const uint8_t *word, size_t bytes)
{
    if (bytes == 4)
        return ByteOrder::ReadLe32(word);
    uint32_t value = 0;
    for (size_t i = 0; i < bytes; ++i)
        value |= uint32_t(word[i]) << (8 * i);
    return value;
}

// Writes back only the bytes the field occupies (from its first byte to `bytes`).
void WriteFieldWord(uint8_t *word, size_t first, size_t bytes, uint32_t value)
{
    for (size_t i = first; i < bytes; ++i)
        word[i] = uint8_t(value >> (8 * i));
}

} // namespace

bool FieldCodec::ReadInt(const FieldDesc &field, const uint8_t *record, size_t available, int element,
                         int32_t &out)
{
    if (!record || field.wordIndex < 0 || field.bitOffset < 0 || field.sizeBits < 0 || FieldEnd(field) > available)
        return false;
    if (field.kind == FieldKind::Integer) {
        const size_t start = size_t(field.wordIndex) * 4;
        const int32_t word = int32_t(ReadFieldWord(record + start, FieldEnd(field) - start));
        int32_t value = word >> field.bitOffset;  // the sign is copied into the vacated bits
        if (field.bitWidth < 32)
            value &= int32_t((1u << field.bitWidth) - 1u);
        out = value;
        return true;
    }
    if (field.kind != FieldKind::IntArray)
        return false;
    const int width = field.bitWidth;
    if (width != 8 && width != 16 && width != 32)
        return false;
    const int count = field.sizeBits / width;
    if (element < 0 || element >= count)
        return false;
    const uint8_t *p = record + ByteStart(field) + size_t(element) * size_t(width / 8);
    out = width == 8 ? int32_t(int8_t(p[0])) : width == 16 ? int32_t(int16_t(ByteOrder::ReadLe16(p)))
                                                           : int32_t(ByteOrder::ReadLe32(p));
    return true;
}

bool FieldCodec::WriteInt(const FieldDesc &field, uint8_t *record, size_t available, uint32_t value)
{
    if (!record || field.wordIndex < 0 || field.bitOffset < 0 || field.sizeBits < 0 || FieldEnd(field) > available)
        return false;
    if (field.kind == FieldKind::Integer) {
        const size_t start = size_t(field.wordIndex) * 4;
        const size_t bytes = FieldEnd(field) - start;
        uint32_t word = ReadFieldWord(record + start, bytes);
        if (field.bitWidth < 32) {
            const uint32_t mask = (1u << field.bitWidth) - 1u;
            word = (word & ~(mask << field.bitOffset)) | ((value & mask) << field.bitOffset);
        } else {
            word = value;
        }
        WriteFieldWord(record + start, size_t(field.bitOffset / 8), bytes, word);
        return true;
    }
    if (field.kind != FieldKind::IntArray)
        return false;
    const int width = field.bitWidth;
    if (field.sizeBits < width || (width != 8 && width != 16 && width != 32))
        return true;  // another element width: nothing to write, as before
    uint8_t *p = record + ByteStart(field);
    if (width == 8)
        p[0] = uint8_t(value);
    else if (width == 16)
        ByteOrder::WriteLe16(p, uint16_t(value));
    else
        ByteOrder::WriteLe32(p, value);
    return true;
}

bool FieldCodec::Read(const FieldDesc &field, const uint8_t *record, size_t available, int element,
                      std::string &out)
{
    if (!record || field.wordIndex < 0 || field.bitOffset < 0 || field.sizeBits < 0 || FieldEnd(field) > available)
        return false;
    switch (field.kind) {
    case FieldKind::Integer:
    case FieldKind::IntArray: {
        if (field.kind == FieldKind::IntArray && field.bitWidth != 8 && field.bitWidth != 16 && field.bitWidth != 32)
            return true;  // another element width leaves the output untouched
        int32_t value = 0;
        if (!ReadInt(field, record, available, element, value))
            return false;
        out = std::to_string(value);
        return true;
    }
    case FieldKind::String: {
        const size_t bytes = size_t(field.sizeBits / 8);
        out.clear();
        if (bytes < kMinStringBytes || bytes > kMaxReadableStringBytes)
            return true;
        const uint8_t *p = record + ByteStart(field);
        std::u16string units;
        for (size_t i = 0; i + 1 < bytes; i += 2) {
            const char16_t unit = char16_t((p[i] << 8) | p[i + 1]);
            if (unit == 0)
                break;
            units.push_back(unit);
        }
        // The whole text is returned: a byte cut could split a UTF-8 sequence.
        out = QString::fromUtf16(units.data(), qsizetype(units.size())).toStdString();
        return true;
    }
    }
    return false;
}

bool FieldCodec::Write(const FieldDesc &field, uint8_t *record, size_t available, std::string_view text)
{
    if (!record || field.wordIndex < 0 || field.bitOffset < 0 || field.sizeBits < 0 || FieldEnd(field) > available)
        return false;
    switch (field.kind) {
    case FieldKind::Integer:
    case FieldKind::IntArray:
        return WriteInt(field, record, available, uint32_t(ParseTemplateNumber(text)));
    case FieldKind::String: {
        const size_t bytes = size_t(field.sizeBits / 8);
        uint8_t *p = record + ByteStart(field);
        std::memset(p, 0, bytes);
        const QString converted = QString::fromUtf8(text.data(), qsizetype(text.size()));
        const size_t units = size_t(converted.size());
        if (units == 0 || units > bytes / 2)
            return true;  // a text that does not fit is not stored; the field stays zero
        for (size_t i = 0; i < units; ++i) {
            const char16_t unit = converted.at(qsizetype(i)).unicode();
            p[2 * i] = uint8_t(unit >> 8);
            p[2 * i + 1] = uint8_t(unit);
        }
        return true;
    }
    }
    return false;
}

bool FieldCodec::ReadRawArray(const FieldDesc &field, const uint8_t *record, size_t available, std::string &out)
{
    if (!record || field.sizeBits < 0 || FieldEnd(field) > available)
        return false;
    out.assign(reinterpret_cast<const char *>(record + ByteStart(field)), size_t(field.sizeBits / 8));
    return true;
}

bool FieldCodec::WriteRawArray(const FieldDesc &field, uint8_t *record, size_t available, std::string_view bytes)
{
    if (!record || field.sizeBits < 0 || FieldEnd(field) > available)
        return false;
    const size_t size = size_t(field.sizeBits / 8);
    std::memcpy(record + ByteStart(field), bytes.data(), std::min(size, bytes.size()));
    return true;
}

bool GetFieldText(const LayoutSet &layouts, NodeKind kind, const uint8_t *record, size_t available, int fieldIndex,
                  std::string &out)
{
    const FieldDesc *field = layouts.Field(kind, fieldIndex, DeclarationOrder);
    if (!field || !record)
        return false;
    if (field->kind == FieldKind::IntArray)
        return FieldCodec::ReadRawArray(*field, record, available, out);
    return FieldCodec::Read(*field, record, available, 0, out);
}

bool SetFieldText(const LayoutSet &layouts, NodeKind kind, uint8_t *record, size_t available, int fieldIndex,
                  std::string_view text)
{
    const FieldDesc *field = layouts.Field(kind, fieldIndex, DeclarationOrder);
    if (!field || !record)
        return false;
    if (field->kind == FieldKind::IntArray)
        return FieldCodec::WriteRawArray(*field, record, available, text);
    return FieldCodec::Write(*field, record, available, text);
}
