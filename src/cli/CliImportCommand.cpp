// dravel-cli import: applies the field changes of a program CSV and saves the result as OUT.
#include "cli/CliCommands.h"
#include "cli/CliEditedDatabase.h"
#include "cli/CliOptions.h"
#include "cli/CliSave.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "database/CChannelDb.h"
#include "database/DatabaseReader.h"
#include "database/DatabaseWriter.h"
#include "database/FieldChangeImport.h"
#include "layout/LayoutSet.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: dravel-cli import DB CHANGES.csv [--layout L] [-o OUT] [--yes]\n"
    "\n"
    "Reads a program CSV in the form the CSV dump of `dravel-cli dump` has (a header row of\n"
    "field names, any of them in any order, UTF-8) and changes the programs it names: by the\n"
    "\"slot\" column, or by \"sat_id\", \"tp_id\" and \"prog_id\". Every cell that differs is\n"
    "checked as the program dialog checks it (whole numbers within the field and the PID\n"
    "ranges, names cut to what the record holds); the ids, text lengths (they follow the text)\n"
    "and list fields cannot be changed. Each change is printed as \"line: slot field: old -> new\",\n"
    "each refused line with its reason. A file that is not such a CSV (an unknown column, a\n"
    "line with another number of fields) is refused with its line number.\n"
    "With -o the changes are applied and the database saved as OUT (.usd, .ddf or .udf, as\n"
    "convert writes it); when a line is refused nothing is written. DB is replaced only when\n"
    "OUT names it.\n"
    "\n"
    "  --layout L   a \"script.ini\" layout cache or a template header (default: the\n"
    "               \"script.ini\" beside the program, else ../share/dravel/script.ini)\n"
    "  -o OUT       save the changed database as OUT\n"
    "  --yes        answer Yes to the question whether to save without terrestrial nodes\n";

// A CSV of changes is a few megabytes at most: one line per program.
constexpr qint64 kMaxCsvBytes = 64 * 1024 * 1024;

} // namespace

int RunImportCommand(const QStringList &args)
{
    CliOptions options({QStringLiteral("--layout"), QStringLiteral("-o")}, {QStringLiteral("--yes")});
    if (!options.Parse(args))
        return UsageError(kUsage, options.Error());
    if (options.Help())
        return PrintHelp(kUsage);
    if (options.Positionals().size() != 2)
        return UsageError(kUsage, QStringLiteral("import needs a database file and a CSV file"));
    const QString source = options.Positionals()[0];
    const QString csvPath = options.Positionals()[1];
    const QString out = options.Value(QStringLiteral("-o"));
    if (const QString error = CheckOutputOption(options, source); !error.isEmpty())
        return UsageError(kUsage, error);

    CliEditedDatabase opened(options);
    if (!opened.Open(options, source))
        return ExitFailed;
    CChannelDb &db = opened.db;
    QByteArray csv;
    QString reason;
    switch (ReadBoundedFile(csvPath, kMaxCsvBytes, csv, reason)) {
    case FileReadStatus::Read:
        break;
    case FileReadStatus::CannotOpen:
        return Failure(QStringLiteral("Cannot read \"%1\".\n%2").arg(csvPath, reason));
    case FileReadStatus::TooLarge:
        return Failure(QStringLiteral("\"%1\" is larger than %2 bytes.").arg(csvPath).arg(kMaxCsvBytes));
    }

    const FieldImport import = PlanFieldImport(db, csv);
    if (!import.Ok())
        return Failure(QStringLiteral("\"%1\" cannot be imported; nothing was changed.\n%2").arg(csvPath, import.error));
    for (const FieldChange &change : import.changes)
        std::printf("%d: slot %d %s: %s -> %s\n", change.line, change.slot, change.fieldName.toUtf8().constData(),
                    change.before.toUtf8().constData(), change.after.toUtf8().constData());
    for (const RefusedLine &line : import.refused)
        std::printf("%d: refused: %s\n", line.line, line.reason.toUtf8().constData());
    std::printf("%zu changes, %zu lines refused, %d lines unchanged\n", import.changes.size(), import.refused.size(),
                import.unchangedLines);
    if (!import.refused.empty())
        return Failure(QStringLiteral("%1 lines of \"%2\" were refused; nothing was written.")
                           .arg(import.refused.size())
                           .arg(csvPath));
    if (!options.Has(QStringLiteral("-o")))
        return ExitOk;

    if (!ApplyFieldChanges(db, import.changes))
        return Failure(QStringLiteral("The changes could not be applied; nothing was written."));
    return opened.SaveAs(source, out);
}
