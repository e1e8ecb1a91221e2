// Builds plausible satellites, transponders and programs field by field, by name, from a seed.
#include "database/DatabaseGenerator.h"

#include "core/ByteOrder.h"
#include "core/UserPrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseFormat.h"
#include "database/DatabaseWriter.h"
#include "database/GeneratorNames.h"
#include "database/GeneratorNodeWriter.h"
#include "database/GeneratorRandom.h"
#include "database/NodeTable.h"
#include "database/ProfileStore.h"
#include "database/RecordConverter.h"
#include "layout/LayoutSet.h"

#include <QSaveFile>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace GeneratorNames;

namespace {

template <typename T, size_t N>
constexpr int Size(const T (&)[N])
{
    return int(N);
}

// Splits total over `parts` buckets of at most `cap` each, with uneven but positive weights.
std::vector<int> Distribute(GeneratorRandom &random, int total, int parts, int cap)
{
    std::vector<int> counts(static_cast<size_t>(parts), 0);
    if (parts == 0)
        return counts;
    std::vector<int> weights(static_cast<size_t>(parts));
    int64_t weightSum = 0;
    for (int &w : weights) {
        w = 1 + int(random.Below(8));
        weightSum += w;
    }
    int assigned = 0;
    for (size_t i = 0; i < counts.size(); ++i) {
        counts[i] = std::min(cap, int(int64_t(total) * weights[i] / weightSum));
        assigned += counts[i];
    }
    // The rest goes one by one to random buckets with room, then in order when luck runs out.
    for (int tries = 0; assigned < total && tries < 4 * total; ++tries) {
        const size_t i = random.Below(uint32_t(parts));
        if (counts[i] < cap) {
            ++counts[i];
            ++assigned;
        }
    }
    for (size_t i = 0; assigned < total && i < counts.size(); ++i) {
        const int add = std::min(cap - counts[i], total - assigned);
        counts[i] += add;
        assigned += add;
    }
    return counts;
}

std::string OrbitText(int orbit)
{
    const int magnitude = std::abs(orbit);
    const char side = orbit < 0 ? 'W' : 'E';
    char text[16];
    if (magnitude % 10 != 0)
        std::snprintf(text, sizeof text, "%d.%d%c", magnitude / 10, magnitude % 10, side);
    else
        std::snprintf(text, sizeof text, "%d%c", magnitude / 10, side);
    return text;
}

struct SatellitePlan
{
    std::string name;
    int orbit = 0;         // East positive, West negative, tenths of a degree
    bool cBand = false;
    bool terrestrial = false;
    int satId = 0;
};

std::vector<SatellitePlan> PlanSatellites(GeneratorRandom &random, const GeneratorOptions &options)
{
    std::vector<int> order(static_cast<size_t>(Size(kSatellites)));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    // The well-known satellites come first, in an order of the seed's choosing.
    for (size_t i = order.size(); i > 1; --i)
        std::swap(order[i - 1], order[random.Below(uint32_t(i))]);

    std::vector<SatellitePlan> plans;
    std::vector<bool> orbitTaken(3601, false);
    for (int i = 0; i < options.satellites; ++i) {
        SatellitePlan plan;
        plan.satId = i + 1;
        if (options.terrestrial && i == options.satellites - 1) {
            plan.name = "Terrestrial";
            plan.terrestrial = true;
            plan.satId = int(RecordConverter::kTerrestrialSatId);
        } else if (i < Size(kSatellites)) {
            const Satellite &known = kSatellites[order[size_t(i)]];
            plan.name = known.name;
            plan.orbit = known.orbit;
            plan.cBand = known.cBand;
        } else {
            do {
                plan.orbit = random.Between(-1800, 1800);
            } while (orbitTaken[size_t(plan.orbit + 1800)]);
            plan.name = std::string(random.Pick(kSatellitePrefixes)) + " " + OrbitText(plan.orbit);
            plan.cBand = random.Chance(10);
        }
        if (!plan.terrestrial)
            orbitTaken[size_t(plan.orbit + 1800)] = true;
        plans.push_back(plan);
    }
    return plans;
}

void WriteSatellite(GeneratorNodeWriter &w, GeneratorRandom &random, const SatellitePlan &plan, int index)
{
    w.Set("sat_id", plan.satId);
    w.SetName(plan.name);
    if (plan.terrestrial) {
        w.Set("tuner1_valid", 1);
        return;
    }
    w.Set("sat_orbit", plan.orbit >= 0 ? plan.orbit : 3600 + plan.orbit);
    if (plan.cBand) {
        w.Set("lnb_type", 0);
        w.Set("lnb_low", 5150);
        w.Set("lnb_high", 5150);
    } else if (random.Chance(85)) {
        w.Set("lnb_type", 32);   // universal
        w.Set("lnb_low", 9750);
        w.Set("lnb_high", 10600);
    } else {
        const int lnb = random.Chance(50) ? 10600 : 10750;
        w.Set("lnb_type", 0);
        w.Set("lnb_low", lnb);
        w.Set("lnb_high", lnb);
    }
    // The first four dishes hang on a DiSEqC 1.0 switch, the rest on a motor.
    if (index < 4) {
        w.Set("DiSEqC_type", 1);
        w.Set("DiSEqC_port", index);
    } else {
        w.Set("DiSEqC_type", 3);
        w.Set("position", std::min(index - 3, 59));
    }
    w.Set("k22", 0);
    w.Set("v12", 0);
    w.Set("toneburst", 0);
    w.Set("tuner1_valid", 1);
    w.Set("tuner2_valid", random.Chance(50) ? 1 : 0);
    w.Set("selected_flag", index < 4 ? 1 : 0);
}

void WriteTransponder(GeneratorNodeWriter &w, GeneratorRandom &random, const SatellitePlan &sat, int tpId)
{
    w.Set("sat_id", sat.satId);
    w.Set("tp_id", tpId);
    if (sat.terrestrial) {
        const int channel = random.Between(21, 69);   // UHF, 8 MHz raster
        const int khz = (474 + 8 * (channel - 21)) * 1000;
        w.Set("dvbt_frq", khz);
        w.Set("bandwidth", random.Chance(90) ? 8 : 7);
        w.Set("frq", khz / 1000);
        return;
    }
    w.Set("frq", sat.cBand ? random.Between(3400, 4200) : random.Between(10700, 12750));
    w.Set("sym", random.Pick(kSymbolRates));
    w.Set("pol", int(random.Below(2)));
    w.Set("fec", random.Between(1, 5));          // 1/2, 2/3, 3/4, 5/6, 7/8
    w.Set("modulation", random.Chance(30) ? 1 : 0);  // 8PSK or QPSK
}

int LanguageCode(const char *code)
{
    return (int(uint8_t(code[0])) << 8) | int(uint8_t(code[1]));
}

void WriteProgram(GeneratorNodeWriter &w, GeneratorRandom &random, const SatellitePlan &sat, int tpId, int progId, int sidBase,
                  int &lcn)
{
    w.Set("sat_id", sat.satId);
    w.Set("tp_id", tpId);
    w.Set("prog_id", progId);
    const bool tv = random.Chance(80);
    std::string name = tv ? random.Pick(kTvNames) : random.Pick(kRadioNames);
    if (tv && random.Chance(15) && name.size() <= 12)
        name += " HD";
    w.SetName(name);
    w.Set("Service ID", sidBase + progId);
    w.Set("Service Type", tv ? 1 : 0);

    const int audioCount = tv ? random.Between(1, 3) : 1;
    const int base = random.Between(32, 8100);
    w.Set("Video Pid", tv ? base : 0);
    w.Set("Audio Pid1", base + 1);
    w.Set("Audio Pid2", audioCount >= 2 ? base + 2 : 0);
    w.Set("Audio Pid3", audioCount >= 3 ? base + 3 : 0);
    w.Set("PCR Pid", tv ? base : base + 1);

    std::vector<int> types;
    std::vector<int> languages;
    for (int i = 0; i < audioCount; ++i) {
        types.push_back(i > 0 && random.Chance(40) ? 1 : 0);  // MPEG audio or AC-3
        languages.push_back(LanguageCode(random.Pick(kLanguages)));
    }
    w.Set("audio_count", audioCount);
    w.SetArray(w.AudioCompanion(), types);
    w.SetArray("audio_lang", languages);

    const bool scrambled = random.Chance(30);
    std::vector<int> systems;
    if (scrambled) {
        const int count = random.Between(1, 3);
        for (int i = 0; i < count; ++i) {
            const int system = random.Pick(kCasSystems);
            if (std::find(systems.begin(), systems.end(), system) == systems.end())
                systems.push_back(system);
        }
    }
    w.Set("cas_count", int(systems.size()));
    w.SetArray("cas_sysid", systems);
    w.Set("Scramble", scrambled ? 1 : 0);

    uint32_t favourites = 0;
    if (random.Chance(25)) {
        favourites |= 1u << random.Below(32);
        if (random.Chance(30))
            favourites |= 1u << random.Below(32);
    }
    w.Set("Favorite Group", int64_t(favourites));
    w.Set("Factory", random.Chance(10) ? 1 : 0);
    w.Set("Lock", random.Chance(2) ? 1 : 0);
    w.SetText("service_provider_name", "provider_name_len", random.Pick(kProviders));

    if (sat.terrestrial) {
        w.Set("lcn", lcn++);
        w.Set("t_onid", 0x2000 + tpId);
        w.Set("t_tsid", tpId);
        w.Set("t_flags", 0);
    }
}

// A profile without entries: the generator names its own groups and never reads the user's.
class NoProfile : public ProfileStore
{
public:
    QString ReadString(const QString &, const QString &) const override { return {}; }
    void WriteString(const QString &, const QString &, const QString &) override {}
};

} // namespace

DatabaseGenerator::DatabaseGenerator(const LayoutSet &layouts) : m_layouts(layouts) {}

QString DatabaseGenerator::CheckOptions(const GeneratorOptions &o)
{
    if (o.satellites < 0 || o.transponders < 0 || o.programs < 0)
        return QStringLiteral("Counts must not be negative.");
    if (o.satellites > kMaxSatelliteIds)
        return QStringLiteral("At most %1 satellites can be generated.").arg(kMaxSatelliteIds);
    if (o.transponders > CChannelDb::kMaxTransponders || o.programs > CChannelDb::kMaxPrograms)
        return QStringLiteral("At most %1 transponders and %2 programs can be generated.")
            .arg(CChannelDb::kMaxTransponders)
            .arg(CChannelDb::kMaxPrograms);
    if (o.transponders > int64_t(o.satellites) * 1023)
        return QStringLiteral("Transponders need satellites: at most 1023 per satellite.");
    if (o.programs > int64_t(o.transponders) * 1023)
        return QStringLiteral("Programs need transponders: at most 1023 per transponder.");
    if (o.terrestrial && o.satellites < 1)
        return QStringLiteral("A terrestrial satellite needs --satellites of at least 1.");
    return {};
}

bool DatabaseGenerator::Generate(CChannelDb &db, const GeneratorOptions &options) const
{
    if (!CheckOptions(options).isEmpty() || !m_layouts.HasNodeLayouts())
        return false;
    for (NodeKind kind : kTableKinds) {
        if (m_layouts.NodeSize(kind) == 0)
            return false;
    }
    db.CreateEmpty();
    GeneratorRandom random(options.seed);

    const std::vector<SatellitePlan> satellites = PlanSatellites(random, options);
    for (size_t i = 0; i < satellites.size(); ++i) {
        const int slot = db.AllocateNode(KindSatellite);
        if (slot < 0)
            return false;
        GeneratorNodeWriter w(db, KindSatellite, slot);
        WriteSatellite(w, random, satellites[i], int(i));
    }

    struct TpRef
    {
        size_t satellite;
        int tpId;
    };
    std::vector<TpRef> transponders;
    const std::vector<int> tpCounts = Distribute(random, options.transponders, options.satellites, 1023);
    for (size_t s = 0; s < satellites.size(); ++s) {
        for (int t = 1; t <= tpCounts[s]; ++t) {
            const int slot = db.AllocateNode(KindTransponder);
            if (slot < 0)
                return false;
            GeneratorNodeWriter w(db, KindTransponder, slot);
            WriteTransponder(w, random, satellites[s], t);
            transponders.push_back({s, t});
        }
    }

    const std::vector<int> progCounts = Distribute(random, options.programs, int(transponders.size()), 1023);
    int lcn = 1;
    for (size_t t = 0; t < transponders.size(); ++t) {
        // Service ids are unique within a transponder: a base per transponder plus the program id.
        const int sidBase = 100 * random.Between(1, 600);
        for (int p = 1; p <= progCounts[t]; ++p) {
            const int slot = db.AllocateNode(KindProgram);
            if (slot < 0)
                return false;
            GeneratorNodeWriter w(db, KindProgram, slot);
            WriteProgram(w, random, satellites[transponders[t].satellite], transponders[t].tpId, p, sidBase, lcn);
        }
    }

    auto favourites = std::make_unique<FavouriteRecord>();
    favourites->type = DatabaseFormat::kFavouriteGroupType;
    favourites->typeName = DatabaseFormat::kFavouriteGroupTypeName;
    favourites->count = kFavouriteGroups;
    favourites->nameLength = kFavouriteNameLength;
    favourites->extra = 0;
    favourites->dataLength = 3 + kFavouriteGroups * kFavouriteNameLength;
    for (const char *name : kFavouriteNames)
        favourites->names.emplace_back(name);
    db.SetFavourites(std::move(favourites));
    return true;
}

bool DatabaseGenerator::WriteFile(CChannelDb &db, const QString &path, const ProfileStore &profile)
{
    // The editor's writers leave terrestrial nodes out; a generated file keeps them, so that the
    // reader and the terrestrial question can be tried on it.
    SaveOptions options;
    options.keepTerrestrial = true;
    if (path.endsWith(QStringLiteral(".ddf"), Qt::CaseInsensitive))
        return SaveDefaultDatabase(db, path, profile, options) == SaveResult::Written;
    return SaveNewUserDatabase(db, path, profile, options) == SaveResult::Written;
}

bool DatabaseGenerator::Fits(const GeneratorOptions &options, FitTarget target) const
{
    SilentPrompt prompt;
    CChannelDb db(m_layouts, prompt);
    if (!Generate(db, options))
        return false;
    Payload payload;
    if (!BuildPayload(db, payload))
        return false;  // more than the payload limit
    if (target == FitTarget::UserPayload)
        return true;
    QByteArray stream(DatabaseFormat::kDefaultCompressBuffer, '\0');
    uLongf length = uLongf(stream.size());
    if (compress2(reinterpret_cast<Bytef *>(stream.data()), &length,
                  reinterpret_cast<const Bytef *>(payload.bytes.constData()), uLong(payload.bytes.size()), 9)
        != Z_OK)
        return false;
    NoProfile profile;
    const int e = int(length);
    const qsizetype total = DatabaseFormat::kSubChunkHeaderSize + e + DatabaseFormat::StreamPadding(e)
        + BuildFavouriteTail(db, profile).size();
    return total <= DatabaseFormat::kDefaultFileSize;
}

int DatabaseGenerator::LargestProgramCount(GeneratorOptions options, FitTarget target) const
{
    options.terrestrial = false;
    int low = 0;   // fits
    int high = int(std::min<int64_t>(CChannelDb::kMaxPrograms, int64_t(options.transponders) * 1023));
    options.programs = 0;
    if (!Fits(options, target))
        return 0;
    options.programs = high;
    if (Fits(options, target))
        return high;
    // Invariant: low fits, high does not. The size grows with the count almost monotonically;
    // the search returns a count that was seen to fit.
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        options.programs = middle;
        if (Fits(options, target))
            low = middle;
        else
            high = middle;
    }
    return low;
}
