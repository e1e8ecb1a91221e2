// Reading a program's identifying ids.
#include "database/ProgramKey.h"

#include "database/CChannelDb.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"

ProgramKeyReader::ProgramKeyReader(const CChannelDb &db) : m_db(db)
{
    const LayoutSet &layouts = db.Layouts();
    m_satField = layouts.FindField(KindProgram, "sat_id", DeclarationOrder);
    m_tpField = layouts.FindField(KindProgram, "tp_id", DeclarationOrder);
    m_progField = layouts.FindField(KindProgram, "prog_id", DeclarationOrder);
}

std::optional<ProgramKey> ProgramKeyReader::Read(int slot) const
{
    if (m_satField < 0 || m_tpField < 0 || m_progField < 0 || !m_db.IsUsed(KindProgram, slot))
        return std::nullopt;
    ProgramKey key;
    if (!m_db.GetNodeInt(KindProgram, slot, m_satField, key.satId, 0, DeclarationOrder)
        || !m_db.GetNodeInt(KindProgram, slot, m_tpField, key.tpId, 0, DeclarationOrder)
        || !m_db.GetNodeInt(KindProgram, slot, m_progField, key.progId, 0, DeclarationOrder))
        return std::nullopt;
    return key;
}
