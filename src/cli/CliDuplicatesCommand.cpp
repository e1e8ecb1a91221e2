// dravel-cli duplicates: lists programs that are the same service, or saves the list without them.
#include "cli/CliCommands.h"
#include "cli/CliEditedDatabase.h"
#include "cli/CliOptions.h"
#include "cli/CliSave.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseWriter.h"
#include "database/DuplicateFinder.h"
#include "database/FavouriteGroups.h"
#include "layout/LayoutSet.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: dravel-cli duplicates DB [--layout L] [--keep first|groups|fta] [-o OUT] [--yes]\n"
    "\n"
    "Finds programs that are the same service: the same service id on the same transponder\n"
    "(\"same service\"), or the same name (case-insensitive, blanks around it ignored) and type\n"
    "on the same satellite (\"same name\"). A service id of 0 and an empty name tie nothing.\n"
    "Each group is printed with its members: slot, name, satellite and transponder id, service\n"
    "id, video, audio and PCR PID, scrambled or free, favourite groups; the member the keep rule\n"
    "chooses is marked \"keep\", the others \"drop\". Without -o nothing is written.\n"
    "With -o the dropped programs are deleted, each kept program takes the favourite groups of\n"
    "its whole group, and the database is saved as OUT (.usd, .ddf or .udf, as convert writes\n"
    "it); DB is replaced only when OUT names it.\n"
    "\n"
    "  --layout L   a \"script.ini\" layout cache or a template header (default: the\n"
    "               \"script.ini\" beside the program, else ../share/dravel/script.ini)\n"
    "  --keep K     first (default): the first in channel order; groups: the one in most\n"
    "               favourite groups; fta: the first free-to-air one\n"
    "  -o OUT       save the database without the dropped programs as OUT\n"
    "  --yes        answer Yes to the question whether to save without terrestrial nodes\n";

QByteArray GroupList(uint32_t bits)
{
    QByteArray text;
    for (int g = 1; g <= FavouriteGroups::kCount; ++g) {
        if (bits & FavouriteGroups::Bit(g))
            text += (text.isEmpty() ? "" : ",") + QByteArray::number(g);
    }
    return text.isEmpty() ? QByteArrayLiteral("-") : text;
}

void PrintGroups(const std::vector<DuplicateGroup> &groups)
{
    size_t dropped = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        const DuplicateGroup &group = groups[i];
        std::printf("group %zu: %s, %zu programs\n", i + 1,
                    group.rule == DuplicateRule::SameService ? "same service" : "same name", group.members.size());
        for (size_t m = 0; m < group.members.size(); ++m) {
            const ProgramFacts &p = group.members[m].program;
            std::printf("  %s slot %d \"%s\" sat %d tp %d sid %d pids %d/%d/%d %s groups %s\n",
                        int(m) == group.keep ? "keep" : "drop", p.slot, p.name.c_str(), p.key.satId, p.key.tpId,
                        p.serviceId, p.videoPid, p.audioPid, p.pcrPid, p.scrambled ? "scrambled" : "free",
                        GroupList(p.groups).constData());
        }
        dropped += group.members.size() - 1;
    }
    std::printf("%zu groups, %zu programs to delete\n", groups.size(), dropped);
}

} // namespace

int RunDuplicatesCommand(const QStringList &args)
{
    CliOptions options({QStringLiteral("--layout"), QStringLiteral("--keep"), QStringLiteral("-o")},
                       {QStringLiteral("--yes")});
    if (!options.Parse(args))
        return UsageError(kUsage, options.Error());
    if (options.Help())
        return PrintHelp(kUsage);
    if (options.Positionals().size() != 1)
        return UsageError(kUsage, QStringLiteral("duplicates needs exactly one database file"));
    const std::optional<KeepRule> keep = KeepRuleFromName(options.Value(QStringLiteral("--keep"), QStringLiteral("first")));
    if (!keep)
        return UsageError(kUsage, QStringLiteral("--keep must be first, groups or fta"));
    const QString source = options.Positionals().first();
    const QString out = options.Value(QStringLiteral("-o"));
    if (const QString error = CheckOutputOption(options, source); !error.isEmpty())
        return UsageError(kUsage, error);

    CliEditedDatabase opened(options);
    if (!opened.Open(options, source))
        return ExitFailed;
    CChannelDb &db = opened.db;

    const std::vector<DuplicateGroup> groups = FindDuplicates(db, *keep);
    PrintGroups(groups);
    if (!options.Has(QStringLiteral("-o")))
        return ExitOk;

    if (!ApplyDuplicateRemoval(db, PlanDuplicateRemoval(groups)))
        return Failure(QStringLiteral("The duplicates could not be removed; nothing was written."));
    return opened.SaveAs(source, out);
}
