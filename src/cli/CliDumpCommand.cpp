// dravel-cli dump: every node with every field by name, as JSON or CSV on stdout.
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseDump.h"
#include "layout/LayoutSet.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: dravel-cli dump DB [--layout L] [--format json|csv] [--kind sat|tp|prog]\n"
    "\n"
    "Prints every live node with every field of its layout, read as the editor reads it.\n"
    "JSON (the default) holds satellites, transponders, programs and the favourite groups;\n"
    "CSV holds one kind, one row per node and one column per field.\n"
    "\n"
    "  --layout L      a \"script.ini\" layout cache or a template header (default: the\n"
    "                  \"script.ini\" beside the program, else ../share/dravel/script.ini)\n"
    "  --format F      json (default) or csv\n"
    "  --kind K        sat, tp or prog (default prog): the kind a CSV dump lists\n";

} // namespace

int RunDumpCommand(const QStringList &args)
{
    CliOptions options({QStringLiteral("--layout"), QStringLiteral("--format"), QStringLiteral("--kind")}, {});
    if (!options.Parse(args))
        return UsageError(kUsage, options.Error());
    if (options.Help())
        return PrintHelp(kUsage);
    if (options.Positionals().size() != 1)
        return UsageError(kUsage, QStringLiteral("dump needs exactly one database file"));
    const QString format = options.Value(QStringLiteral("--format"), QStringLiteral("json"));
    if (format != "json" && format != "csv")
        return UsageError(kUsage, QStringLiteral("--format must be json or csv"));
    const QString kindName = options.Value(QStringLiteral("--kind"), QStringLiteral("prog"));
    NodeKind kind = KindProgram;
    if (kindName == "sat")
        kind = KindSatellite;
    else if (kindName == "tp")
        kind = KindTransponder;
    else if (kindName == "prog")
        kind = KindProgram;
    else
        return UsageError(kUsage, QStringLiteral("--kind must be sat, tp or prog"));

    ConsolePrompt prompt;
    LayoutSet layouts;
    if (!LoadCliLayouts(options, layouts, prompt))
        return ExitFailed;
    CChannelDb db(layouts, prompt);
    if (!LoadCliDatabase(db, options.Positionals().first()))
        return ExitFailed;

    const DatabaseDump dump(db);
    const QByteArray out = format == "json" ? dump.Json().toJson(QJsonDocument::Indented) : dump.Csv(kind);
    // A write error (a full disk) is reported by the check of stdout after every command.
    WriteStandardOutput(out);
    return ExitOk;
}
