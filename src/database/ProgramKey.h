// What identifies a program across moves and edits: its satellite, transponder and program ids.
#pragma once

#include <cstdint>
#include <optional>

class CChannelDb;

struct ProgramKey
{
    int32_t satId = 0;
    int32_t tpId = 0;
    int32_t progId = 0;
    bool operator==(const ProgramKey &) const = default;
};

// Reads a program's key; the field indexes are looked up once per reader.
class ProgramKeyReader
{
public:
    explicit ProgramKeyReader(const CChannelDb &db);
    // nullopt for a free slot or a layout without the three ids.
    std::optional<ProgramKey> Read(int slot) const;

private:
    const CChannelDb &m_db;
    int m_satField = -1;
    int m_tpField = -1;
    int m_progField = -1;
};
