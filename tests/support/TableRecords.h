// The records of a database's tables as bytes: what the byte-identical checks of the tests compare.
#pragma once

#include "database/CChannelDb.h"
#include "layout/NodeKind.h"

#include <cstdint>
#include <vector>

namespace TestRecords {

// Every record of one table in slot order, a free slot as an empty record.
inline std::vector<std::vector<uint8_t>> TableRecords(const CChannelDb &db, NodeKind kind)
{
    std::vector<std::vector<uint8_t>> records;
    for (int slot = 0; slot < db.Count(kind); ++slot)
        records.push_back(db.RecordBytes(kind, slot));
    return records;
}

inline std::vector<std::vector<uint8_t>> ProgramRecords(const CChannelDb &db)
{
    return TableRecords(db, KindProgram);
}

// Every record of every table, the tables in their order.
inline std::vector<std::vector<uint8_t>> AllRecords(const CChannelDb &db)
{
    std::vector<std::vector<uint8_t>> all;
    for (NodeKind kind : kTableKinds) {
        for (std::vector<uint8_t> &record : TableRecords(db, kind))
            all.push_back(std::move(record));
    }
    return all;
}

} // namespace TestRecords
