// Shared pieces of the database tests: a small template with known offsets and a file builder
// that writes containers byte by byte, independently of the writers under test.
#pragma once

#include "core/ByteOrder.h"
#include "database/CChannelDb.h"
#include "database/SettingsProfileStore.h"
#include "layout/LayoutSet.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

#include <QByteArray>

#include <zlib.h>

#include <memory>
#include <string>

// Satellite: sat_id | sat_orbit | name_len, satname[8]                       (18 bytes)
// Transponder: sat_id | tp_id | frq:16 sym:16 | dvbt_frq:24 bandwidth:8      (16 bytes)
// Program: sat_id | tp_id | prog_id | service_id | t1 | t2 | name_len, name[6] | audio_count,
//          apid[2], audio_lang[2] | cas_count, cas_sysid[2] | provider_name_len, provider[4] |
//          tail_field                                                        (56 bytes)
inline const char *SmallTemplate()
{
    return "/*#tp_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; UINT32 frq:16 /*#pos:3@*/;\n"
           "  UINT32 sym:16 /*#pos:4@*/; UINT32 dvbt_frq:24; UINT32 bandwidth:8; }\n"
           "/*#sat_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 sat_orbit; UINT16 name_len;\n"
           "  UINT8 satname[8] /*#type:string|pos:2@*/; }\n"
           "/*#prog_node@*/{ UINT32 sat_id /*#pos:1@*/; UINT32 tp_id /*#pos:2@*/; UINT32 prog_id;\n"
           "  UINT32 service_id; UINT32 t1; UINT32 t2; UINT16 name_len;\n"
           "  UINT8 name[6] /*#type:string|name:Service Name@*/; UINT16 audio_count; UINT16 apid[2];\n"
           "  UINT16 audio_lang[2]; UINT16 cas_count; UINT16 cas_sysid[2]; UINT16 provider_name_len;\n"
           "  UINT8 service_provider_name[4] /*#type:string@*/; UINT16 tail_field; }\n";
}

// Little byte-string builder for records and files.
class Bytes
{
public:
    Bytes &U8(uint8_t v) { m_data.append(char(v)); return *this; }
    Bytes &Le16(uint16_t v) { uint8_t b[2]; ByteOrder::WriteLe16(b, v); return Raw(b, 2); }
    Bytes &Le24(uint32_t v) { uint8_t b[3]; ByteOrder::WriteLe24(b, v); return Raw(b, 3); }
    Bytes &Le32(uint32_t v) { uint8_t b[4]; ByteOrder::WriteLe32(b, v); return Raw(b, 4); }
    Bytes &Be16(uint16_t v) { return U8(uint8_t(v >> 8)).U8(uint8_t(v)); }
    Bytes &Be24(uint32_t v) { uint8_t b[3]; ByteOrder::WriteBe24(b, v); return Raw(b, 3); }
    Bytes &Text16(const char *ascii) { for (; *ascii; ++ascii) Be16(uint8_t(*ascii)); return *this; }
    Bytes &Zeros(int n) { m_data.append(QByteArray(n, '\0')); return *this; }
    Bytes &Append(const QByteArray &a) { m_data.append(a); return *this; }
    Bytes &Raw(const uint8_t *p, int n) { m_data.append(reinterpret_cast<const char *>(p), n); return *this; }
    const QByteArray &Data() const { return m_data; }
    int Size() const { return int(m_data.size()); }

private:
    QByteArray m_data;
};

// A DB4 record: id, length byte, then the body.
inline QByteArray Db4(uint32_t id, const QByteArray &body)
{
    Bytes b;
    b.Le32(id).U8(uint8_t((body.size() + 1) % 256)).Append(body);
    return b.Data();
}

// The payload: magic, index entries in the order given, magic, records back to back.
inline QByteArray MakePayload(const std::vector<QByteArray> &records)
{
    const int indexSize = 10 + 7 * int(records.size());
    Bytes index;
    index.Le32(0xF00FF00F).Le16(uint16_t(records.size()));
    int offset = indexSize;
    for (const QByteArray &r : records) {
        index.Le32(ByteOrder::ReadLe32(reinterpret_cast<const uint8_t *>(r.constData()))).Le24(uint32_t(offset));
        offset += int(r.size());
    }
    index.Le32(0x12345678);
    for (const QByteArray &r : records)
        index.Append(r);
    return index.Data();
}

inline QByteArray Deflate(const QByteArray &payload)
{
    QByteArray out(int(compressBound(uLong(payload.size()))), '\0');
    uLongf length = uLongf(out.size());
    compress2(reinterpret_cast<Bytef *>(out.data()), &length, reinterpret_cast<const Bytef *>(payload.constData()),
              uLong(payload.size()), 9);
    out.resize(int(length));
    return out;
}

inline QByteArray SubChunkHeader(uint8_t type, uint32_t bodyLength, uint32_t next)
{
    Bytes b;
    b.U8(type).Be24(bodyLength).Be24(next).Zeros(9);
    return b.Data();
}

// A favourite sub-chunk of `count` names of `length` bytes, padded to 16.
inline QByteArray FavouriteChunk(const std::vector<std::string> &names, int length, uint32_t next = 0,
                                 uint8_t extra = 0)
{
    const int size = 24 + int(names.size()) * length;
    Bytes b;
    b.Append(SubChunkHeader(2, uint32_t(size - 16), next));
    b.U8(1).Le32(uint32_t(3 + names.size() * size_t(length))).U8(uint8_t(names.size())).U8(uint8_t(length)).U8(extra);
    for (const std::string &n : names) {
        QByteArray name(length, '\0');
        std::memcpy(name.data(), n.data(), std::min(n.size(), size_t(length)));
        b.Append(name);
    }
    b.Zeros((16 - size % 16) % 16);
    return b.Data();
}

// Node data sub-chunk followed by the tail (sub-chunk 2 and what follows), as the format lays it out.
inline QByteArray MakeFile(const QByteArray &payload, const QByteArray &tail)
{
    const QByteArray stream = Deflate(payload);
    const int padding = (16 - stream.size() % 16) % 16;
    Bytes b;
    b.Append(SubChunkHeader(1, uint32_t(stream.size()), tail.isEmpty() ? 0 : uint32_t(16 + stream.size() + padding)));
    b.Append(stream).Zeros(padding).Append(tail);
    return b.Data();
}

// A database with the small template, a scripted prompt and a profile in a temporary file.
struct DbFixture
{
    ScopedWorkingDir dir;
    ScriptedPrompt prompt;
    LayoutSet layouts;
    std::unique_ptr<SettingsProfileStore> profile;
    std::unique_ptr<CChannelDb> db;

    explicit DbFixture(const QByteArray &templateText = SmallTemplate())
    {
        WriteFileBytes(dir.Path("t.h"), templateText);
        layouts.ParseTemplate(dir.Path("t.h"), prompt);
        profile = std::make_unique<SettingsProfileStore>(dir.Path("profile.ini"));
        db = std::make_unique<CChannelDb>(layouts, prompt);
    }

    std::string Get(NodeKind kind, int slot, const char *field, int element = 0)
    {
        std::string out;
        const int index = layouts.FindField(kind, field, DeclarationOrder);
        if (!db->GetNodeData(kind, slot, index, out, element, DeclarationOrder))
            return "<fail>";
        return out;
    }
    bool Set(NodeKind kind, int slot, const char *field, const std::string &text)
    {
        return db->SetNodeData(kind, slot, layouts.FindField(kind, field, DeclarationOrder), text, DeclarationOrder);
    }
};
