// Satellite names and transponder labels of programs, read once per table.
#include "database/ProgramPlaces.h"

#include "database/CChannelDb.h"
#include "database/TransponderLabels.h"

ProgramPlaces::ProgramPlaces(const CChannelDb &db)
    : m_db(db), m_satIdField(db.SatIdOfProgram()), m_tpIdField(db.TpIdOfProgram())
{
    const int nameField = db.SatNameOfSatellite();
    const int satIdField = db.SatIdOfSatellite();
    if (nameField < 0 || satIdField < 0)
        return;
    // The same reading as the tree's: a satellite whose name or id cannot be read is not there.
    for (int i = 0; i < db.Count(KindSatellite); ++i) {
        std::string name;
        int32_t satId = 0;
        if (db.GetNodeData(KindSatellite, i, nameField, name, 0, PositionOrder)
            && db.GetNodeInt(KindSatellite, i, satIdField, satId, 0, PositionOrder))
            m_satellites.emplace(satId, std::move(name));  // with one id twice, the first names it
    }
    // One pass over the transponders (not one per satellite: a table may hold 6000 of them); the
    // ordinal is no part of the text kept, and the first of two with the same ids names them.
    const int tpSatField = db.SatIdOfTransponder();
    const int tpIdField = db.TpIdOfTransponder();
    if (tpSatField < 0 || tpIdField < 0)
        return;
    for (int node = 0; node < db.Count(KindTransponder); ++node) {
        int32_t satId = 0;
        int32_t tpId = 0;
        if (!db.GetNodeInt(KindTransponder, node, tpSatField, satId, 0, PositionOrder)
            || !db.GetNodeInt(KindTransponder, node, tpIdField, tpId, 0, PositionOrder) || !m_satellites.contains(satId))
            continue;
        const auto key = std::make_pair(satId, tpId);
        if (!m_transponders.contains(key))
            m_transponders.emplace(key, SplitLabel(TransponderLabel(db, node, 1)).tail);
    }
}

bool ProgramPlaces::ReadIds(int slot, int32_t &satId, int32_t &tpId) const
{
    if (m_satIdField < 0 || m_tpIdField < 0 || !m_db.IsUsed(KindProgram, slot))
        return false;
    return m_db.GetNodeInt(KindProgram, slot, m_satIdField, satId, 0, PositionOrder)
        && m_db.GetNodeInt(KindProgram, slot, m_tpIdField, tpId, 0, PositionOrder);
}

std::string ProgramPlaces::SatelliteOf(int slot) const
{
    int32_t satId = 0;
    int32_t tpId = 0;
    if (!ReadIds(slot, satId, tpId))
        return {};
    const auto found = m_satellites.find(satId);
    return found == m_satellites.end() ? std::string() : found->second;
}

std::string ProgramPlaces::TransponderOf(int slot) const
{
    int32_t satId = 0;
    int32_t tpId = 0;
    if (!ReadIds(slot, satId, tpId))
        return {};
    const auto found = m_transponders.find({satId, tpId});
    return found == m_transponders.end() ? std::string() : found->second;
}
