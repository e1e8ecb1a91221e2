// dravel-cli info: node counts, favourite groups, kept tail and terrestrial nodes of a database.
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "core/ByteOrder.h"
#include "database/CChannelDb.h"
#include "database/DatabaseDump.h"
#include "database/DatabaseFormat.h"
#include "database/DatabaseStatistics.h"
#include "database/NodeTable.h"
#include "database/UdfDatabase.h"
#include "layout/LayoutSet.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: dravel-cli info DB [--layout L] [--format text|json]\n"
    "\n"
    "Loads a \".usd\", \".ddf\" or \".udf\" database and prints the number of satellites, transponders and\n"
    "programs (live slots and terrestrial ones), the favourite groups, and the bytes a \".usd\"\n"
    "save keeps behind the node data (the favourite sub-chunk and any further sub-chunks).\n"
    "Then the statistics: TV and radio, scrambled and free programs, the duplicates that\n"
    "`dravel-cli duplicates` finds, the rows and ids still free per kind, the members of\n"
    "each favourite group, and the programs per satellite and per transponder.\n"
    "\n"
    "  --layout L   a \"script.ini\" layout cache or a template header (default: the\n"
    "               \"script.ini\" beside the program, else ../share/dravel/script.ini)\n"
    "  --format F   text (default) or json: one object with the same figures\n";

const char *PolarisationName(int32_t polarisation)
{
    return polarisation == 0 ? "H" : polarisation == 1 ? "V" : "-";
}

void PrintStatistics(const DatabaseStatistics &s)
{
    std::printf("types:        %d TV, %d radio\n", s.tv, s.radio);
    std::printf("scrambled:    %d scrambled, %d free\n", s.scrambled, s.freeToAir);
    std::printf("duplicates:   %d groups (%d of the same service), %d programs to delete\n", s.duplicateGroups,
                s.sameServiceGroups, s.duplicatePrograms);
    const struct {
        const char *label;
        const KindRoom &room;
    } rooms[] = {{"satellites", s.satelliteRoom}, {"transponders", s.transponderRoom}, {"programs", s.programRoom}};
    for (const auto &r : rooms)
        std::printf("free %-13s %d rows, %d ids\n", r.label, r.room.freeRows, r.room.freeIds);
    std::printf("group members:\n");
    for (size_t g = 0; g < s.groupMembers.size(); ++g) {
        const char *name = g < s.groupNames.size() ? s.groupNames[g].c_str() : "";
        std::printf("  %2d %-18s %d\n", int(g + 1), name, s.groupMembers[g]);
    }
    std::printf("per satellite:\n");
    for (const SatelliteFigures &sat : s.satellites)
        std::printf("  %3d %-20s %d transponders, %d programs (%d TV, %d radio, %d scrambled)\n", sat.satId,
                    sat.name.c_str(), sat.transponders, sat.programs, sat.tv, sat.radio, sat.scrambled);
    std::printf("per transponder:\n");
    for (const TransponderFigures &tp : s.transponders)
        std::printf("  %3d/%-4d %6d %s %d programs\n", tp.satId, tp.tpId, tp.frequency,
                    PolarisationName(tp.polarisation), tp.programs);
}

const NodeKind kKinds[] = {KindSatellite, KindTransponder, KindProgram};

const char *KindLabel(NodeKind kind)
{
    return kind == KindSatellite ? "satellites" : kind == KindTransponder ? "transponders" : "programs";
}

struct InfoFigures
{
    qint64 tail = 0;
    bool udfImage = false;
    qint64 erasedFlash = 0;
    qint64 subChunks = 0;
    DatabaseStatistics statistics;
};

InfoFigures Figures(const CChannelDb &db, const QString &path, const QByteArray &bytes)
{
    InfoFigures f;
    // The loader has checked the header; what a ".usd" save keeps starts at the second sub-chunk.
    if (bytes.size() >= DatabaseFormat::kSubChunkHeaderSize) {
        const uint32_t tailAt = ByteOrder::ReadBe24(reinterpret_cast<const uint8_t *>(bytes.constData()) + 4);
        if (tailAt != 0 && tailAt <= uint32_t(bytes.size()))
            f.tail = bytes.size() - qint64(tailAt);
    }
    // A ".udf" is followed by erased flash that no save keeps.
    QByteArray udfTail;
    if (UdfDatabase::IsUdfPath(path) && UdfDatabase::ContainerTail(bytes, udfTail)) {
        f.udfImage = true;
        f.erasedFlash = f.tail - udfTail.size();
        f.tail = udfTail.size();
    }
    f.subChunks = db.HasExtraBlock() ? db.ExtraBlock().size() : 0;
    f.statistics = ComputeStatistics(db);
    return f;
}

QJsonObject Json(const CChannelDb &db, const InfoFigures &f)
{
    QJsonObject root;
    for (const NodeKind kind : kKinds)
        root.insert(QLatin1String(KindLabel(kind)), QJsonObject {{QStringLiteral("live"), db.LiveCount(kind)},
                                                                 {QStringLiteral("slots"), db.Count(kind)},
                                                                 {QStringLiteral("terrestrial"), TerrestrialCount(db, kind)}});
    root.insert(QStringLiteral("favourites"), DatabaseDump(db).Favourites());
    root.insert(QStringLiteral("tail"), f.tail);
    if (f.udfImage)
        root.insert(QStringLiteral("erasedFlash"), f.erasedFlash);
    root.insert(QStringLiteral("subChunks"), f.subChunks);
    root.insert(QStringLiteral("statistics"), StatisticsJson(f.statistics));
    return root;
}

} // namespace

int RunInfoCommand(const QStringList &args)
{
    CliOptions options({QStringLiteral("--layout"), QStringLiteral("--format")}, {});
    if (!options.Parse(args))
        return UsageError(kUsage, options.Error());
    if (options.Help())
        return PrintHelp(kUsage);
    if (options.Positionals().size() != 1)
        return UsageError(kUsage, QStringLiteral("info needs exactly one database file"));
    const QString path = options.Positionals().first();
    const QString format = options.Value(QStringLiteral("--format"), QStringLiteral("text"));
    if (format != QLatin1String("text") && format != QLatin1String("json"))
        return UsageError(kUsage, QStringLiteral("--format must be text or json"));

    ConsolePrompt prompt;
    LayoutSet layouts;
    if (!LoadCliLayouts(options, layouts, prompt))
        return ExitFailed;
    CChannelDb db(layouts, prompt);
    QByteArray bytes;
    if (!LoadCliDatabase(db, path, &bytes))
        return ExitFailed;
    const InfoFigures figures = Figures(db, path, bytes);
    if (format == QLatin1String("json")) {
        QJsonObject json = Json(db, figures);
        json.insert(QStringLiteral("file"), path);
        json.insert(QStringLiteral("bytes"), bytes.size());
        WriteStandardOutput(QJsonDocument(json).toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    std::printf("file: %s (%lld bytes)\n", path.toUtf8().constData(), static_cast<long long>(bytes.size()));
    for (const NodeKind kind : kKinds)
        std::printf("%-13s %d (%d slots, %d terrestrial)\n", KindLabel(kind), db.LiveCount(kind), db.Count(kind),
                    TerrestrialCount(db, kind));

    if (const FavouriteRecord *fav = db.Favourites()) {
        std::printf("favourites:   %s, %d groups of %d bytes, extra %d\n", fav->typeName.c_str(), int(fav->count),
                    int(fav->nameLength), int(fav->extra));
        for (size_t i = 0; i < fav->names.size(); ++i)
            std::printf("  %2d %s\n", int(i + 1), fav->names[i].c_str());
    } else {
        std::printf("favourites:   none\n");
    }
    if (figures.udfImage)
        std::printf("image:        %lld bytes, %lld of them erased flash behind the container\n",
                    static_cast<long long>(bytes.size()), static_cast<long long>(figures.erasedFlash));
    std::printf("tail:         %lld bytes from the favourite sub-chunk on\n", static_cast<long long>(figures.tail));
    std::printf("sub-chunks:   %lld bytes of further sub-chunks\n", static_cast<long long>(figures.subChunks));
    PrintStatistics(figures.statistics);
    return ExitOk;
}
