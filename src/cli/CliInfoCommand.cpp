// dravel-cli info: node counts, favourite groups, kept tail and terrestrial nodes of a database.
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "core/ByteOrder.h"
#include "database/CChannelDb.h"
#include "database/DatabaseFormat.h"
#include "database/NodeTable.h"
#include "database/UdfDatabase.h"
#include "layout/LayoutSet.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: dravel-cli info DB [--layout L]\n"
    "\n"
    "Loads a \".usd\", \".ddf\" or \".udf\" database and prints the number of satellites, transponders and\n"
    "programs (live slots and terrestrial ones), the favourite groups, and the bytes a \".usd\"\n"
    "save keeps behind the node data (the favourite sub-chunk and any further sub-chunks).\n"
    "\n"
    "  --layout L   a \"script.ini\" layout cache or a template header (default: the\n"
    "               \"script.ini\" beside the program, else ../share/dravel/script.ini)\n";

} // namespace

int RunInfoCommand(const QStringList &args)
{
    CliOptions options({QStringLiteral("--layout")}, {});
    if (!options.Parse(args))
        return UsageError(kUsage, options.Error());
    if (options.Help())
        return PrintHelp(kUsage);
    if (options.Positionals().size() != 1)
        return UsageError(kUsage, QStringLiteral("info needs exactly one database file"));
    const QString path = options.Positionals().first();

    ConsolePrompt prompt;
    LayoutSet layouts;
    if (!LoadCliLayouts(options, layouts, prompt))
        return ExitFailed;
    CChannelDb db(layouts, prompt);
    QByteArray bytes;
    if (!LoadCliDatabase(db, path, &bytes))
        return ExitFailed;
    std::printf("file: %s (%lld bytes)\n", path.toUtf8().constData(), static_cast<long long>(bytes.size()));

    const struct {
        NodeKind kind;
        const char *label;
    } kinds[] = {{KindSatellite, "satellites"}, {KindTransponder, "transponders"}, {KindProgram, "programs"}};
    for (const auto &k : kinds)
        std::printf("%-13s %d (%d slots, %d terrestrial)\n", k.label, db.LiveCount(k.kind), db.Count(k.kind),
                    TerrestrialCount(db, k.kind));

    if (const FavouriteRecord *fav = db.Favourites()) {
        std::printf("favourites:   %s, %d groups of %d bytes, extra %d\n", fav->typeName.c_str(), int(fav->count),
                    int(fav->nameLength), int(fav->extra));
        for (size_t i = 0; i < fav->names.size(); ++i)
            std::printf("  %2d %s\n", int(i + 1), fav->names[i].c_str());
    } else {
        std::printf("favourites:   none\n");
    }

    // The loader has checked the header; what a ".usd" save keeps starts at the second sub-chunk.
    qint64 tail = 0;
    if (bytes.size() >= DatabaseFormat::kSubChunkHeaderSize) {
        const uint32_t tailAt = ByteOrder::ReadBe24(reinterpret_cast<const uint8_t *>(bytes.constData()) + 4);
        if (tailAt != 0 && tailAt <= uint32_t(bytes.size()))
            tail = bytes.size() - qint64(tailAt);
    }
    // A ".udf" is followed by erased flash that no save keeps.
    QByteArray udfTail;
    if (UdfDatabase::IsUdfPath(path) && UdfDatabase::ContainerTail(bytes, udfTail)) {
        std::printf("image:        %lld bytes, %lld of them erased flash behind the container\n",
                    static_cast<long long>(bytes.size()), static_cast<long long>(tail - udfTail.size()));
        tail = udfTail.size();
    }
    std::printf("tail:         %lld bytes from the favourite sub-chunk on\n", static_cast<long long>(tail));
    std::printf("sub-chunks:   %lld bytes of further sub-chunks\n",
                static_cast<long long>(db.HasExtraBlock() ? db.ExtraBlock().size() : 0));
    return ExitOk;
}
