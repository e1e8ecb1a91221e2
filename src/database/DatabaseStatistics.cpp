// Counts everything in one pass per table, on the facts the list tools read.
#include "database/DatabaseStatistics.h"

#include "database/CChannelDb.h"
#include "database/DuplicateFinder.h"
#include "database/FavouriteGroups.h"
#include "database/NodeTable.h"
#include "database/ProgramFacts.h"
#include "layout/LayoutSet.h"

#include <QJsonArray>

#include <map>
#include <set>
#include <unordered_map>

namespace {

constexpr int kHighestSatelliteId = 254;
constexpr int kHighestChildId = 1023;

int32_t IntOf(const CChannelDb &db, NodeKind kind, int slot, int field, int32_t fallback)
{
    int32_t value = fallback;
    if (field < 0 || !db.GetNodeInt(kind, slot, field, value, 0, DeclarationOrder))
        return fallback;
    return value;
}

uint64_t Pair(int32_t a, int32_t b)
{
    return (uint64_t(uint32_t(a)) << 32) | uint32_t(b);
}

} // namespace

DatabaseStatistics ComputeStatistics(const CChannelDb &db)
{
    DatabaseStatistics s;
    const LayoutSet &layouts = db.Layouts();

    std::unordered_map<int32_t, size_t> satelliteAt;
    std::set<int32_t> satelliteIds;
    const int satIdField = layouts.FindField(KindSatellite, "sat_id", DeclarationOrder);
    const int satNameField = layouts.FindField(KindSatellite, "satname", DeclarationOrder);
    for (int slot = 0; slot < db.Count(KindSatellite); ++slot) {
        if (!db.IsUsed(KindSatellite, slot))
            continue;
        SatelliteFigures sat;
        sat.satId = IntOf(db, KindSatellite, slot, satIdField, -1);
        if (satNameField >= 0)
            db.GetNodeData(KindSatellite, slot, satNameField, sat.name, 0, DeclarationOrder);
        satelliteAt.emplace(sat.satId, s.satellites.size());
        if (sat.satId >= 1 && sat.satId <= kHighestSatelliteId)
            satelliteIds.insert(sat.satId);
        s.satellites.push_back(std::move(sat));
    }

    std::unordered_map<uint64_t, size_t> transponderAt;
    std::map<int32_t, std::set<int32_t>> tpIdsOfSatellite;
    const int tpSatField = layouts.FindField(KindTransponder, "sat_id", DeclarationOrder);
    const int tpIdField = layouts.FindField(KindTransponder, "tp_id", DeclarationOrder);
    for (int slot = 0; slot < db.Count(KindTransponder); ++slot) {
        if (!db.IsUsed(KindTransponder, slot))
            continue;
        TransponderFigures tp;
        tp.satId = IntOf(db, KindTransponder, slot, tpSatField, -1);
        tp.tpId = IntOf(db, KindTransponder, slot, tpIdField, -1);
        transponderAt.emplace(Pair(tp.satId, tp.tpId), s.transponders.size());
        if (const auto sat = satelliteAt.find(tp.satId); sat != satelliteAt.end())
            ++s.satellites[sat->second].transponders;
        if (tp.tpId >= 1 && tp.tpId <= kHighestChildId)
            tpIdsOfSatellite[tp.satId].insert(tp.tpId);
        s.transponders.push_back(tp);
    }

    const std::vector<ProgramFacts> programs = CollectProgramFacts(db);
    std::unordered_map<uint64_t, std::set<int32_t>> progIdsOfTransponder;
    for (const ProgramFacts &p : programs) {
        ++s.programs;
        (p.tv ? s.tv : s.radio) += 1;
        (p.scrambled ? s.scrambled : s.freeToAir) += 1;
        for (int g = 1; g <= FavouriteGroups::kCount; ++g) {
            if (p.groups & FavouriteGroups::Bit(g))
                ++s.groupMembers[size_t(g - 1)];
        }
        if (const auto sat = satelliteAt.find(p.key.satId); sat != satelliteAt.end()) {
            SatelliteFigures &figures = s.satellites[sat->second];
            ++figures.programs;
            (p.tv ? figures.tv : figures.radio) += 1;
            figures.scrambled += p.scrambled ? 1 : 0;
        }
        if (const auto tp = transponderAt.find(Pair(p.key.satId, p.key.tpId)); tp != transponderAt.end()) {
            TransponderFigures &figures = s.transponders[tp->second];
            ++figures.programs;
            figures.frequency = p.frequency;
            figures.polarisation = p.polarisation;
        }
        if (p.key.progId >= 1 && p.key.progId <= kHighestChildId)
            progIdsOfTransponder[Pair(p.key.satId, p.key.tpId)].insert(p.key.progId);
    }
    if (const FavouriteRecord *favourites = db.Favourites())
        s.groupNames = favourites->names;

    const std::vector<DuplicateGroup> groups = FindDuplicates(programs, KeepRule::FirstInOrder);
    s.duplicateGroups = int(groups.size());
    for (const DuplicateGroup &group : groups) {
        s.sameServiceGroups += group.rule == DuplicateRule::SameService ? 1 : 0;
        s.duplicatePrograms += int(group.members.size()) - 1;
    }

    auto room = [&](NodeKind kind) {
        KindRoom r;
        r.used = db.LiveCount(kind);
        r.freeRows = std::max(CChannelDb::MaxNodes(kind) - r.used, 0);
        return r;
    };
    s.satelliteRoom = room(KindSatellite);
    s.satelliteRoom.freeIds = kHighestSatelliteId - int(satelliteIds.size());
    s.transponderRoom = room(KindTransponder);
    for (const SatelliteFigures &sat : s.satellites) {
        const auto ids = tpIdsOfSatellite.find(sat.satId);
        s.transponderRoom.freeIds += kHighestChildId - (ids == tpIdsOfSatellite.end() ? 0 : int(ids->second.size()));
    }
    s.programRoom = room(KindProgram);
    for (const TransponderFigures &tp : s.transponders) {
        const auto ids = progIdsOfTransponder.find(Pair(tp.satId, tp.tpId));
        s.programRoom.freeIds += kHighestChildId - (ids == progIdsOfTransponder.end() ? 0 : int(ids->second.size()));
    }
    return s;
}

QJsonObject StatisticsJson(const DatabaseStatistics &s)
{
    QJsonObject root;
    root.insert(QStringLiteral("programs"), s.programs);
    root.insert(QStringLiteral("tv"), s.tv);
    root.insert(QStringLiteral("radio"), s.radio);
    root.insert(QStringLiteral("scrambled"), s.scrambled);
    root.insert(QStringLiteral("freeToAir"), s.freeToAir);
    QJsonArray satellites;
    for (const SatelliteFigures &sat : s.satellites) {
        satellites.append(QJsonObject {{QStringLiteral("satId"), sat.satId},
                                       {QStringLiteral("name"), QString::fromStdString(sat.name)},
                                       {QStringLiteral("transponders"), sat.transponders},
                                       {QStringLiteral("programs"), sat.programs},
                                       {QStringLiteral("tv"), sat.tv},
                                       {QStringLiteral("radio"), sat.radio},
                                       {QStringLiteral("scrambled"), sat.scrambled}});
    }
    root.insert(QStringLiteral("perSatellite"), satellites);
    QJsonArray transponders;
    for (const TransponderFigures &tp : s.transponders) {
        transponders.append(QJsonObject {{QStringLiteral("satId"), tp.satId},
                                         {QStringLiteral("tpId"), tp.tpId},
                                         {QStringLiteral("frequency"), tp.frequency},
                                         {QStringLiteral("polarisation"), tp.polarisation},
                                         {QStringLiteral("programs"), tp.programs}});
    }
    root.insert(QStringLiteral("perTransponder"), transponders);
    QJsonArray groups;
    for (size_t g = 0; g < s.groupMembers.size(); ++g) {
        const QString name = g < s.groupNames.size() ? QString::fromStdString(s.groupNames[g]) : QString();
        groups.append(QJsonObject {{QStringLiteral("group"), int(g + 1)},
                                   {QStringLiteral("name"), name},
                                   {QStringLiteral("members"), s.groupMembers[g]}});
    }
    root.insert(QStringLiteral("favouriteGroups"), groups);
    root.insert(QStringLiteral("duplicates"), QJsonObject {{QStringLiteral("groups"), s.duplicateGroups},
                                                           {QStringLiteral("sameService"), s.sameServiceGroups},
                                                           {QStringLiteral("programsToDelete"), s.duplicatePrograms}});
    auto room = [](const KindRoom &r) {
        return QJsonObject {{QStringLiteral("used"), r.used},
                            {QStringLiteral("freeRows"), r.freeRows},
                            {QStringLiteral("freeIds"), r.freeIds}};
    };
    root.insert(QStringLiteral("room"), QJsonObject {{QStringLiteral("satellites"), room(s.satelliteRoom)},
                                                     {QStringLiteral("transponders"), room(s.transponderRoom)},
                                                     {QStringLiteral("programs"), room(s.programRoom)}});
    return root;
}
