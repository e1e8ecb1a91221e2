// Where a program lives, in the navigator's words: its satellite's name and its transponder's label.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

class CChannelDb;

// Built once from the satellite and transponder tables; a change of either makes it stale, a
// change of programs does not (each program's "sat_id" and "tp_id" are read when asked for).
class ProgramPlaces
{
public:
    explicit ProgramPlaces(const CChannelDb &db);

    // The satellite's name as the tree shows it; empty when the program names no satellite of
    // the table (or the slot holds no program).
    std::string SatelliteOf(int slot) const;
    // The transponder's label without the tree's "[ n ]" ordinal ("TP_11778_V_27500"); empty
    // when the program names no transponder of its satellite.
    std::string TransponderOf(int slot) const;

private:
    // The program's sat_id and tp_id; nothing when either cannot be read.
    bool ReadIds(int slot, int32_t &satId, int32_t &tpId) const;

    const CChannelDb &m_db;
    int m_satIdField = -1;
    int m_tpIdField = -1;
    std::map<int32_t, std::string> m_satellites;
    std::map<std::pair<int32_t, int32_t>, std::string> m_transponders;
};
