// Field encodings inside a record: bit fields, arrays, UTF-16 texts, raw access and bounds.
#include "layout/FieldCodec.h"
#include "layout/LayoutSet.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

FieldDesc Integer(int word, int bit, int width)
{
    FieldDesc f;
    f.name = "i";
    f.kind = FieldKind::Integer;
    f.bitWidth = width;
    f.sizeBits = width;
    f.wordIndex = word;
    f.bitOffset = bit;
    return f;
}

FieldDesc Array(int word, int bit, int width, int length, FieldKind kind = FieldKind::IntArray)
{
    FieldDesc f = Integer(word, bit, width);
    f.kind = kind;
    f.sizeBits = width * length;
    return f;
}

std::string Read(const FieldDesc &f, const std::vector<uint8_t> &record, int element = 0)
{
    std::string out = "untouched";
    EXPECT_TRUE(FieldCodec::Read(f, record.data(), record.size(), element, out));
    return out;
}

} // namespace

TEST(FieldCodec, IntegersMaskShiftAndWrap)
{
    std::vector<uint8_t> record(8, 0);
    const FieldDesc byte = Integer(0, 8, 8);
    ASSERT_TRUE(FieldCodec::Write(byte, record.data(), record.size(), "300"));
    EXPECT_EQ(Read(byte, record), "44");
    EXPECT_EQ(record[1], 44);
    EXPECT_EQ(record[0], 0);  // neighbours untouched
    ASSERT_TRUE(FieldCodec::Write(byte, record.data(), record.size(), "0x1F"));
    EXPECT_EQ(Read(byte, record), "31");

    const FieldDesc whole = Integer(1, 0, 32);
    FieldCodec::Write(whole, record.data(), record.size(), "0xFFFFFFFF");
    EXPECT_EQ(Read(whole, record), "-1");
    FieldCodec::Write(whole, record.data(), record.size(), "-1");  // no sign: stores 0
    EXPECT_EQ(Read(whole, record), "0");

    const FieldDesc top = Integer(1, 31, 1);
    record[7] = 0x80;
    EXPECT_EQ(Read(top, record), "1");
    FieldCodec::Write(top, record.data(), record.size(), "0");
    EXPECT_EQ(record[7], 0);
}

TEST(FieldCodec, ArraysReadSignedElementsAndWriteTheFirst)
{
    std::vector<uint8_t> record(8, 0);
    const FieldDesc bytes = Array(0, 0, 8, 4);
    record[2] = 0xFF;
    EXPECT_EQ(Read(bytes, record, 2), "-1");
    std::string out;
    EXPECT_FALSE(FieldCodec::Read(bytes, record.data(), record.size(), 4, out));  // past the array
    FieldCodec::Write(bytes, record.data(), record.size(), "7");
    EXPECT_EQ(record[0], 7);
    EXPECT_EQ(record[2], 0xFF);

    const FieldDesc words = Array(1, 0, 16, 2);
    FieldCodec::Write(words, record.data(), record.size(), "0x8001");
    EXPECT_EQ(Read(words, record, 0), "-32767");

    const FieldDesc odd = Array(0, 0, 4, 2);  // element width other than 8, 16, 32
    EXPECT_EQ(Read(odd, record), "untouched");
}

TEST(FieldCodec, TextsAreUtf16BigEndianAndNeverCutInsideACharacter)
{
    std::vector<uint8_t> record(32, 0xAA);
    const FieldDesc text = Array(0, 0, 8, 24, FieldKind::String);
    ASSERT_TRUE(FieldCodec::Write(text, record.data(), record.size(), "ABCDEFGHIJKL"));
    EXPECT_EQ(record[0], 0);
    EXPECT_EQ(record[1], 'A');
    EXPECT_EQ(record[23], 'L');  // all 24 bytes used, no terminator
    EXPECT_EQ(record[24], 0xAA);
    EXPECT_EQ(Read(text, record), "ABCDEFGHIJKL");

    FieldCodec::Write(text, record.data(), record.size(), "ABCDEFGHIJKLM");  // 13 do not fit
    EXPECT_EQ(Read(text, record), "");
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(record[size_t(i)], 0) << i;

    // Non-ASCII text comes back whole: no byte cut through a UTF-8 sequence.
    const std::string umlauts = "\xC3\x9C\xC3\x96\xC3\x84\xC3\x9C\xC3\x96\xC3\x84\xC3\x9C\xC3\x96";
    FieldCodec::Write(text, record.data(), record.size(), umlauts);
    EXPECT_EQ(Read(text, record), umlauts);

    const FieldDesc wide = Array(0, 0, 8, 64, FieldKind::String);
    std::vector<uint8_t> big(64, 0x41);
    EXPECT_EQ(Read(wide, big), "");  // texts wider than 63 bytes are not read
}

TEST(FieldCodec, StringsStartOnTheNextByte)
{
    FieldDesc text = Array(1, 4, 8, 4, FieldKind::String);
    EXPECT_EQ(FieldCodec::ByteStart(text), 5u);
    std::vector<uint8_t> record(12, 0);
    FieldCodec::Write(text, record.data(), record.size(), "hi");
    EXPECT_EQ(record[6], 'h');
}

TEST(FieldCodec, FieldsBeyondTheBufferAreRefused)
{
    std::vector<uint8_t> record(4, 0);
    std::string out;
    EXPECT_FALSE(FieldCodec::Read(Integer(1, 0, 8), record.data(), record.size(), 0, out));
    EXPECT_FALSE(FieldCodec::Write(Integer(1, 0, 8), record.data(), record.size(), "1"));
    EXPECT_FALSE(FieldCodec::Write(Array(0, 0, 8, 6, FieldKind::String), record.data(), record.size(), "a"));
    EXPECT_FALSE(FieldCodec::Read(Integer(0, 0, 8), nullptr, 4, 0, out));
}

TEST(FieldCodec, IntegersTouchOnlyTheBytesTheirBitsOccupy)
{
    // A record of 5 bytes whose last field is one byte of word 1: its word runs 3 bytes past the end.
    std::vector<uint8_t> record {1, 2, 3, 4, 0xAB};
    std::string out;
    const FieldDesc last = Integer(1, 0, 8);
    EXPECT_EQ(FieldCodec::FieldEnd(last), 5u);
    ASSERT_TRUE(FieldCodec::Read(last, record.data(), record.size(), 0, out));
    EXPECT_EQ(out, "171");
    ASSERT_TRUE(FieldCodec::Write(last, record.data(), record.size(), "0x7F"));
    EXPECT_EQ(record, (std::vector<uint8_t> {1, 2, 3, 4, 0x7F}));
    // A field in the upper half of its word needs the bytes up to its last bit, no more.
    EXPECT_EQ(FieldCodec::FieldEnd(Integer(0, 12, 4)), 2u);
    EXPECT_EQ(FieldCodec::FieldEnd(Integer(0, 0, 32)), 4u);
    // Writing a field in the second byte leaves the first byte of its word alone.
    ASSERT_TRUE(FieldCodec::Write(Integer(0, 8, 8), record.data(), 2, "9"));
    EXPECT_EQ(record[0], 1);
    EXPECT_EQ(record[1], 9);
    // Widths a damaged cache can hold do not overflow.
    FieldDesc huge = Integer(0, 31, 8);
    huge.bitWidth = 2147483647;
    EXPECT_EQ(FieldCodec::FieldEnd(huge), 4u);
    EXPECT_TRUE(FieldCodec::Read(huge, record.data(), record.size(), 0, out));
}

TEST(FieldText, RawArraysAndMissingEntries)
{
    LayoutSet layouts;
    FieldDesc ids = Array(0, 0, 16, 2);
    ids.name = "ids";
    FieldDesc value = Integer(1, 0, 32);
    value.name = "value";
    layouts.ReplaceKind(KindDefaultProgram, {ids, value});
    std::vector<uint8_t> record(8, 0);
    ASSERT_TRUE(SetFieldText(layouts, KindDefaultProgram, record.data(), record.size(), 0, std::string("\x01\x02\x03\x04", 4)));
    std::string raw;
    ASSERT_TRUE(GetFieldText(layouts, KindDefaultProgram, record.data(), record.size(), 0, raw));
    EXPECT_EQ(raw, std::string("\x01\x02\x03\x04", 4));
    ASSERT_TRUE(SetFieldText(layouts, KindDefaultProgram, record.data(), record.size(), 1, "1234"));
    std::string text;
    ASSERT_TRUE(GetFieldText(layouts, KindDefaultProgram, record.data(), record.size(), 1, text));
    EXPECT_EQ(text, "1234");
    EXPECT_FALSE(GetFieldText(layouts, KindDefaultProgram, record.data(), record.size(), 2, text));
    EXPECT_FALSE(GetFieldText(layouts, KindProgram, record.data(), record.size(), 0, text));
}
