// dravel-cli convert: load a database and save it with the writer its new extension names.
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "core/CoreMessages.h"
#include "database/CChannelDb.h"
#include "database/DatabaseWriter.h"
#include "database/SettingsProfileStore.h"
#include "layout/LayoutSet.h"

#include <QFileInfo>

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: dravel-cli convert DB OUT.usd|OUT.ddf [--layout L] [--yes]\n"
    "\n"
    "Loads DB and saves it as OUT with the writer OUT's extension names. A \".ddf\" is always\n"
    "65280 bytes; a database without favourite groups gets the 32 groups of the user profile.\n"
    "A \".usd\" made from a \".usd\" keeps the source's favourite sub-chunk and further\n"
    "sub-chunks byte for byte; one made from a \".ddf\" gets the favourite groups the \".ddf\"\n"
    "holds. OUT is replaced as a whole, and only when the save succeeds; it keeps its mode, and a\n"
    "read-only OUT is refused. On success one line tells what was written.\n"
    "Terrestrial nodes cannot be saved: the question whether to save without them is answered\n"
    "No (nothing is written, exit status 1) unless --yes is given.\n"
    "\n"
    "  --layout L   a \"script.ini\" layout cache or a template header (default: the\n"
    "               \"script.ini\" beside the program, else ../share/dravel/script.ini)\n"
    "  --yes        answer Yes to the terrestrial question\n";

// Save As of the editor for a ".usd" source: the node data is written in front of the source
// file's tail (its favourite sub-chunk, further sub-chunks and any bytes behind them), into a
// new file that replaces OUT only when it is complete. OUT keeps its mode; a read-only OUT is
// refused, as by every writer.
SaveResult SaveUserCopy(const CChannelDb &db, const QByteArray &sourceBytes, const QString &out)
{
    QByteArray tail;
    if (!UserDatabaseTail(sourceBytes, tail)) {
        db.Prompt().ShowMessage(CoreMessages::DamagedFile());
        return SaveResult::Failed;
    }
    return SaveUserDatabaseWithTail(db, out, tail);
}

} // namespace

int RunConvertCommand(const QStringList &args)
{
    CliOptions options({QStringLiteral("--layout")}, {QStringLiteral("--yes")});
    if (!options.Parse(args))
        return UsageError(kUsage, options.Error());
    if (options.Help())
        return PrintHelp(kUsage);
    if (options.Positionals().size() != 2)
        return UsageError(kUsage, QStringLiteral("convert needs a database file and an output file"));
    const QString source = options.Positionals()[0];
    const QString out = options.Positionals()[1];
    if (!IsDefaultDatabasePath(out) && !IsUserDatabasePath(out))
        return UsageError(kUsage, QStringLiteral("the output file must end in .usd or .ddf"));

    ConsolePrompt prompt(options.Has(QStringLiteral("--yes")));
    LayoutSet layouts;
    if (!LoadCliLayouts(options, layouts, prompt))
        return ExitFailed;
    CChannelDb db(layouts, prompt);
    QByteArray sourceBytes;
    if (!LoadCliDatabase(db, source, &sourceBytes))
        return ExitFailed;

    SettingsProfileStore profile;
    SaveResult result = SaveResult::Failed;
    if (IsDefaultDatabasePath(out))
        result = SaveDefaultDatabase(db, out, profile);
    else if (IsDefaultDatabasePath(source))
        result = SaveNewUserDatabase(db, out, profile);
    else
        result = SaveUserCopy(db, sourceBytes, out);
    if (result == SaveResult::Failed)
        return ExitFailed;
    if (result == SaveResult::Declined)
        return Failure(QStringLiteral("Nothing was written to \"%1\".").arg(out));

    // The writers leave terrestrial nodes out: the line counts what the file holds.
    const int counts[3] = {KindSatellite, KindTransponder, KindProgram};
    int written[3];
    for (int i = 0; i < 3; ++i)
        written[i] = db.LiveCount(counts[i]) - TerrestrialCount(db, counts[i]);
    std::printf("%s: %d satellites, %d transponders, %d programs written (%lld bytes)\n", out.toUtf8().constData(),
                written[0], written[1], written[2], static_cast<long long>(QFileInfo(out).size()));
    return ExitOk;
}
