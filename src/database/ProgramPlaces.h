// Where a program lives, in the navigator's words and order: its satellite and its transponder.
#pragma once

#include <climits>
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

    // The place in the tree's order: the table index of the first satellite with this id, and of
    // the first transponder with these ids; kNowhere (after every place) when there is none.
    static constexpr int kNowhere = INT_MAX;
    int SatellitePlace(int32_t satId) const;
    int TransponderPlace(int32_t satId, int32_t tpId) const;

private:
    // A table row found by its ids: where it stands, and its text when the tree shows it.
    struct Place
    {
        int index = kNowhere;
        std::string text;
        bool shown = false;
    };

    // The program's sat_id and tp_id; nothing when either cannot be read.
    bool ReadIds(int slot, int32_t &satId, int32_t &tpId) const;

    const CChannelDb &m_db;
    int m_satIdField = -1;
    int m_tpIdField = -1;
    std::map<int32_t, Place> m_satellites;
    std::map<std::pair<int32_t, int32_t>, Place> m_transponders;
};
