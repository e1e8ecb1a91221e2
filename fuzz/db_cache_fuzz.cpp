// Fuzzes the layout cache reader, then uses whatever layouts it produced on a record buffer.
#include "database/RecordConverter.h"
#include "layout/FieldCodec.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    LayoutSet layouts;
    ParseLayoutCache(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), layouts);

    // A cache is untrusted: its bit offsets and word indexes may point anywhere. Every field
    // access must stay inside the record it is given.
    for (NodeKind kind : kTableKinds) {
        const std::vector<FieldDesc> *fields = layouts.Declarations(kind);
        const int nodeSize = layouts.NodeSize(kind);
        if (!fields || nodeSize <= 0 || nodeSize > (1 << 16))
            continue;
        std::vector<uint8_t> record(size_t(nodeSize), 0);
        for (const FieldDesc &field : *fields) {
            std::string text;
            FieldCodec::Write(field, record.data(), record.size(), "0x1234");
            FieldCodec::Read(field, record.data(), record.size(), 0, text);
            FieldCodec::Read(field, record.data(), record.size(), 1, text);
            FieldCodec::Write(field, record.data(), record.size(), "Name");
        }
    }
    const RecordConverter converter(layouts);
    for (NodeKind kind : kTableKinds) {
        if (!converter.IsValid(kind))
            continue;
        const size_t nodeSize = size_t(layouts.NodeSize(kind));
        if (nodeSize > (1 << 16))
            continue;
        std::vector<uint8_t> db3(nodeSize, 0x41);
        std::vector<uint8_t> db4;
        const int length = converter.Db3ToDb4(kind, db4, db3.data(), db3.size());
        if (length > 0) {
            std::vector<uint8_t> back(nodeSize, 0xFF);
            converter.Db4ToDb3(kind, back.data(), back.size(), db4.data(), db4.size());
        }
    }
    return 0;
}
