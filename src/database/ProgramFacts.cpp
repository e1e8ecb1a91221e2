// Reads the facts of every program once, with each field looked up by name once.
#include "database/ProgramFacts.h"

#include "database/CChannelDb.h"
#include "database/RecordConverter.h"
#include "layout/FieldDesc.h"
#include "layout/LayoutSet.h"

#include <bit>
#include <unordered_map>

namespace {

// A field of one kind, looked up once; reads give the fallback when the layout lacks it.
class FieldReader
{
public:
    FieldReader(const CChannelDb &db, NodeKind kind, const char *name)
        : m_db(db), m_kind(kind), m_index(db.Layouts().FindField(kind, name, DeclarationOrder))
    {
    }
    bool Present() const { return m_index >= 0; }
    int32_t Int(int slot, int32_t fallback = 0) const
    {
        int32_t value = fallback;
        if (m_index < 0 || !m_db.GetNodeInt(m_kind, slot, m_index, value, 0, DeclarationOrder))
            return fallback;
        return value;
    }
    std::string Text(int slot) const
    {
        std::string text;
        if (m_index < 0 || !m_db.GetNodeData(m_kind, slot, m_index, text, 0, DeclarationOrder))
            return {};
        return text;
    }

private:
    const CChannelDb &m_db;
    NodeKind m_kind;
    int m_index;
};

uint64_t TransponderKey(int32_t satId, int32_t tpId)
{
    return (uint64_t(uint32_t(satId)) << 32) | uint32_t(tpId);
}

struct TransponderFacts
{
    int32_t frequency = -1;
    int32_t polarisation = -1;
};

} // namespace

std::vector<ProgramFacts> CollectProgramFacts(const CChannelDb &db)
{
    std::vector<ProgramFacts> facts;
    if (!db.Layouts().HasNodeLayouts())
        return facts;

    std::unordered_map<int32_t, int32_t> orbits;
    const FieldReader satId(db, KindSatellite, "sat_id");
    const FieldReader orbit(db, KindSatellite, "sat_orbit");
    for (int slot = 0; slot < db.Count(KindSatellite); ++slot) {
        if (db.IsUsed(KindSatellite, slot) && satId.Present())
            orbits.emplace(satId.Int(slot), orbit.Int(slot, -1));
    }

    std::unordered_map<uint64_t, TransponderFacts> transponders;
    const FieldReader tpSat(db, KindTransponder, "sat_id");
    const FieldReader tpId(db, KindTransponder, "tp_id");
    const FieldReader frequency(db, KindTransponder, "frq");
    const FieldReader terrestrialFrequency(db, KindTransponder, "dvbt_frq");
    const FieldReader polarisation(db, KindTransponder, "pol");
    for (int slot = 0; slot < db.Count(KindTransponder); ++slot) {
        if (!db.IsUsed(KindTransponder, slot))
            continue;
        const int32_t sat = tpSat.Int(slot, -1);
        TransponderFacts tp;
        // A terrestrial transponder is tuned to the kHz; "frq" only rounds it to the MHz.
        tp.frequency = sat == int32_t(RecordConverter::kTerrestrialSatId) && terrestrialFrequency.Present()
                           ? terrestrialFrequency.Int(slot, -1)
                           : frequency.Int(slot, -1);
        tp.polarisation = polarisation.Int(slot, -1);
        transponders.emplace(TransponderKey(sat, tpId.Int(slot, -1)), tp);
    }

    const FieldReader progSat(db, KindProgram, "sat_id");
    const FieldReader progTp(db, KindProgram, "tp_id");
    const FieldReader progId(db, KindProgram, "prog_id");
    const FieldReader serviceId(db, KindProgram, "Service ID");
    const FieldReader name(db, KindProgram, "Service Name");
    const FieldReader type(db, KindProgram, "Service Type");
    const FieldReader scramble(db, KindProgram, "Scramble");
    const FieldReader groups(db, KindProgram, "Favorite Group");
    const FieldReader videoPid(db, KindProgram, "Video Pid");
    const FieldReader audioPid(db, KindProgram, "Audio Pid1");
    const FieldReader pcrPid(db, KindProgram, "PCR Pid");
    facts.reserve(size_t(db.LiveCount(KindProgram)));
    for (int slot = 0; slot < db.Count(KindProgram); ++slot) {
        if (!db.IsUsed(KindProgram, slot))
            continue;
        ProgramFacts f;
        f.slot = slot;
        f.key = {progSat.Int(slot), progTp.Int(slot), progId.Int(slot)};
        f.serviceId = serviceId.Int(slot);
        f.name = name.Text(slot);
        f.tv = type.Int(slot) == 1;
        f.scrambled = scramble.Int(slot) != 0;
        f.groups = uint32_t(groups.Int(slot));
        f.videoPid = videoPid.Int(slot);
        f.audioPid = audioPid.Int(slot);
        f.pcrPid = pcrPid.Int(slot);
        f.terrestrial = f.key.satId == int32_t(RecordConverter::kTerrestrialSatId);
        if (const auto tp = transponders.find(TransponderKey(f.key.satId, f.key.tpId)); tp != transponders.end()) {
            f.frequency = tp->second.frequency;
            f.polarisation = tp->second.polarisation;
        }
        if (const auto sat = orbits.find(f.key.satId); sat != orbits.end() && !f.terrestrial)
            f.orbit = sat->second;
        facts.push_back(std::move(f));
    }
    return facts;
}

QString NameKey(std::string_view name)
{
    return QString::fromUtf8(name.data(), qsizetype(name.size())).trimmed().toCaseFolded();
}

int GroupCount(uint32_t groups)
{
    return std::popcount(groups);
}
