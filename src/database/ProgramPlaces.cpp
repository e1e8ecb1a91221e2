// Satellite names and transponder labels of programs, read once per table.
#include "database/ProgramPlaces.h"

#include "database/CChannelDb.h"
#include "database/TransponderLabels.h"

ProgramPlaces::ProgramPlaces(const CChannelDb &db)
    : m_db(db), m_satIdField(db.SatIdOfProgram()), m_tpIdField(db.TpIdOfProgram())
{
    const int satIdField = db.SatIdOfSatellite();
    const int nameField = db.SatNameOfSatellite();
    if (satIdField >= 0) {
        for (int i = 0; i < db.Count(KindSatellite); ++i) {
            int32_t satId = 0;
            if (!db.GetNodeInt(KindSatellite, i, satIdField, satId, 0, PositionOrder))
                continue;
            // The first satellite with an id gives its place; the tree shows one whose name can
            // be read too, and that one names the id.
            Place &place = m_satellites.try_emplace(satId, Place {i, {}, false}).first->second;
            std::string name;
            if (!place.shown && nameField >= 0 && db.GetNodeData(KindSatellite, i, nameField, name, 0, PositionOrder)) {
                place.text = std::move(name);
                place.shown = true;
            }
        }
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
            || !db.GetNodeInt(KindTransponder, node, tpIdField, tpId, 0, PositionOrder))
            continue;
        const auto [entry, inserted] = m_transponders.try_emplace(std::make_pair(satId, tpId), Place {node, {}, false});
        const auto satellite = m_satellites.find(satId);
        if (inserted && satellite != m_satellites.end() && satellite->second.shown) {
            entry->second.text = SplitLabel(TransponderLabel(db, node, 1)).tail;
            entry->second.shown = true;
        }
    }
}

int ProgramPlaces::SatellitePlace(int32_t satId) const
{
    const auto found = m_satellites.find(satId);
    return found == m_satellites.end() ? kNowhere : found->second.index;
}

int ProgramPlaces::TransponderPlace(int32_t satId, int32_t tpId) const
{
    const auto found = m_transponders.find({satId, tpId});
    return found == m_transponders.end() ? kNowhere : found->second.index;
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
    return found == m_satellites.end() ? std::string() : found->second.text;
}

std::string ProgramPlaces::TransponderOf(int slot) const
{
    int32_t satId = 0;
    int32_t tpId = 0;
    if (!ReadIds(slot, satId, tpId))
        return {};
    const auto found = m_transponders.find({satId, tpId});
    return found == m_transponders.end() ? std::string() : found->second.text;
}
