// dravel-cli reorder: gives our programs the order of a reference list, matched program by program.
#include "cli/CliCommands.h"
#include "cli/CliEditedDatabase.h"
#include "cli/CliOptions.h"
#include "cli/CliSave.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseDump.h"
#include "database/DatabaseWriter.h"
#include "database/ProgramListEdit.h"
#include "database/ReferenceList.h"
#include "database/ReferenceMatcher.h"
#include "layout/LayoutSet.h"

#include <QSaveFile>

#include <cstdio>
#include <unordered_map>

namespace {

const char kUsage[] =
    "usage: dravel-cli reorder DB --reference REF [--layout L] [--copy-groups] [--report FILE]\n"
    "                          [-o OUT] [--yes]\n"
    "\n"
    "Matches every program of the reference list REF to one of DB's and gives the matched\n"
    "programs the reference's order at the front; the others keep their order behind them.\n"
    "REF is a \".usd\", \".ddf\" or \".udf\" of the same template, or the CSV (--kind prog) or JSON\n"
    "that `dravel-cli dump` writes. A reference program matches ours, in this order, by\n"
    "  position   orbital position, transponder frequency (within 2 MHz; terrestrial: exact),\n"
    "             polarisation and service id (not from a CSV, which has no transponders),\n"
    "  id         satellite and service id,\n"
    "  name       name (case-insensitive, blanks around it ignored) and TV or radio.\n"
    "The counts are printed; nothing is written without -o (or --report).\n"
    "\n"
    "  --reference REF  the list whose order DB takes\n"
    "  --layout L       a \"script.ini\" layout cache or a template header (default: the\n"
    "                   \"script.ini\" beside the program, else ../share/dravel/script.ini)\n"
    "  --copy-groups    matched programs also take the reference's favourite groups\n"
    "  --report FILE    write the matching as CSV (\"-\" for stdout): one row per reference\n"
    "                   program in its order, then our programs not in the reference\n"
    "  -o OUT           save the reordered database as OUT (.usd, .ddf or .udf); DB is\n"
    "                   replaced only when OUT names it\n"
    "  --yes            answer Yes to the question whether to save without terrestrial nodes\n";

QByteArray Report(const std::vector<ProgramFacts> &ours, const std::vector<ProgramFacts> &reference,
                  const ReferenceMatching &matching)
{
    std::unordered_map<int32_t, const ProgramFacts *> bySlot;
    for (const ProgramFacts &p : ours)
        bySlot.emplace(p.slot, &p);
    QByteArray out = "reference,reference name,match,slot,name\r\n";
    for (const ReferenceMatch &row : matching.rows) {
        const ProgramFacts &ref = reference[size_t(row.referenceIndex)];
        const auto our = bySlot.find(row.ourSlot);
        out += QByteArray::number(row.referenceIndex + 1) + ',' + CsvCell(QString::fromStdString(ref.name)) + ','
             + MatchKindName(row.how) + ',';
        if (our != bySlot.end())
            out += QByteArray::number(row.ourSlot) + ',' + CsvCell(QString::fromStdString(our->second->name));
        else
            out += ',';
        out += "\r\n";
    }
    for (const int32_t slot : matching.unmatchedOurs) {
        const auto our = bySlot.find(slot);
        out += QByteArray(",,none,") + QByteArray::number(slot) + ','
             + (our != bySlot.end() ? CsvCell(QString::fromStdString(our->second->name)) : QByteArray()) + "\r\n";
    }
    return out;
}

bool WriteReport(const QString &path, const QByteArray &report)
{
    if (path == QLatin1String("-")) {
        WriteStandardOutput(report);
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(report) != report.size() || !file.commit()) {
        Failure(QStringLiteral("Cannot write \"%1\".\n%2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int RunReorderCommand(const QStringList &args)
{
    CliOptions options({QStringLiteral("--layout"), QStringLiteral("--reference"), QStringLiteral("--report"),
                        QStringLiteral("-o")},
                       {QStringLiteral("--copy-groups"), QStringLiteral("--yes")});
    if (!options.Parse(args))
        return UsageError(kUsage, options.Error());
    if (options.Help())
        return PrintHelp(kUsage);
    if (options.Positionals().size() != 1)
        return UsageError(kUsage, QStringLiteral("reorder needs exactly one database file"));
    if (!options.Has(QStringLiteral("--reference")))
        return UsageError(kUsage, QStringLiteral("reorder needs --reference REF"));
    const QString source = options.Positionals().first();
    const QString out = options.Value(QStringLiteral("-o"));
    const QString reportPath = options.Value(QStringLiteral("--report"));
    if (const QString error = CheckOutputOption(options, source); !error.isEmpty())
        return UsageError(kUsage, error);

    CliEditedDatabase opened(options);
    if (!opened.Open(options, source))
        return ExitFailed;
    CChannelDb &db = opened.db;
    const ReferenceList reference = ReadReferenceFile(options.Value(QStringLiteral("--reference")), opened.layouts, opened.prompt);
    if (!reference.Ok())
        return Failure(QStringLiteral("The reference cannot be used.\n%1").arg(reference.error));

    const std::vector<ProgramFacts> ours = CollectProgramFacts(db);
    const ReferenceMatching matching = MatchReference(ours, reference.programs);
    int byKind[4] = {0, 0, 0, 0};
    for (const ReferenceMatch &row : matching.rows)
        ++byKind[int(row.how)];
    // With the report on stdout, the counts go to stderr so that the CSV stays clean.
    FILE *summary = reportPath == QLatin1String("-") ? stderr : stdout;
    std::fprintf(summary, "%d of %zu reference programs matched: %d by position, %d by id, %d by name\n",
                 matching.matchedCount, reference.programs.size(), byKind[int(MatchKind::Position)],
                 byKind[int(MatchKind::ServiceId)], byKind[int(MatchKind::Name)]);
    std::fprintf(summary, "%d reference programs without a match, %zu of ours not in the reference\n",
                 byKind[int(MatchKind::None)], matching.unmatchedOurs.size());
    if (options.Has(QStringLiteral("--report")) && !WriteReport(reportPath, Report(ours, reference.programs, matching)))
        return ExitFailed;
    if (!options.Has(QStringLiteral("-o")))
        return ExitOk;

    // The group changes name the programs by their slots before the new order.
    if (options.Has(QStringLiteral("--copy-groups"))
        && !ApplyGroupBits(db, ReferenceGroupChanges(ours, reference.programs, matching)))
        return Failure(QStringLiteral("The favourite groups could not be copied; nothing was written."));
    const SlotOrder order = SlotOrderOfLiveSequence(db, KindProgram, matching.newSequence);
    if (!ApplySlotOrder(db, KindProgram, order))
        return Failure(QStringLiteral("The new order could not be applied; nothing was written."));
    return opened.SaveAs(source, out);
}
