// dravel-cli convert: load a database and save it with the writer its new extension names.
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "core/CoreMessages.h"
#include "database/CChannelDb.h"
#include "database/DatabaseWriter.h"
#include "database/SettingsProfileStore.h"
#include "database/UdfDatabase.h"
#include "layout/LayoutSet.h"

#include <QFileInfo>

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: dravel-cli convert DB OUT.usd|OUT.ddf|OUT.udf [--layout L] [--yes]\n"
    "\n"
    "Loads DB and saves it as OUT with the writer OUT's extension names. A \".ddf\" is always\n"
    "65280 bytes; a database without favourite groups gets the 32 groups of the user profile.\n"
    "A \".usd\" made from a \".usd\" keeps the source's favourite sub-chunk and further\n"
    "sub-chunks byte for byte; one made from a \".ddf\" gets the favourite groups the \".ddf\"\n"
    "holds. OUT is replaced as a whole, and only when the save succeeds; it keeps its mode, and a\n"
    "read-only OUT is refused. On success one line tells what was written.\n"
    "A \".udf\" (an uploaded user database: the container, then erased flash) is read like a\n"
    "\".usd\"; OUT.udf is written in the same form, the container followed by 0xFF up to the\n"
    "size of the source .udf (or of the existing OUT.udf it replaces), and refused when it does\n"
    "not fit; its favourite and further sub-chunks are the source's.\n"
    "Before OUT is replaced, the new bytes are read back and compared with the database node\n"
    "by node, field by field; a difference refuses the save and names the node and field.\n"
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
SaveResult SaveUserCopy(const CChannelDb &db, const QByteArray &sourceBytes, const QString &out, bool sourceIsImage)
{
    QByteArray tail;
    // A ".udf" source ends in erased flash, which is not part of its container.
    if (!(sourceIsImage ? UdfDatabase::ContainerTail(sourceBytes, tail) : UserDatabaseTail(sourceBytes, tail))) {
        db.Prompt().ShowMessage(CoreMessages::DamagedFile());
        return SaveResult::Failed;
    }
    return SaveUserDatabaseWithTail(db, out, tail);
}

// OUT.udf: the container with the source's own tail (favourite and further sub-chunks), then 0xFF
// up to the size of the source .udf, or of the OUT.udf it replaces.
SaveResult SaveUdf(CChannelDb &db, const QString &source, const QByteArray &sourceBytes, const QString &out,
                   const ProfileStore &profile)
{
    if (UdfDatabase::IsUdfPath(source))
        return UdfDatabase::SaveAs(db, out, sourceBytes);
    QByteArray tail;
    if (IsDefaultDatabasePath(source)) {
        tail = BuildFavouriteTail(db, profile);
    } else if (!UserDatabaseTail(sourceBytes, tail)) {
        db.Prompt().ShowMessage(CoreMessages::DamagedFile());
        return SaveResult::Failed;
    }
    return SaveUserDatabaseImage(db, out, tail, QFileInfo(out).size());
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
    if (!IsDefaultDatabasePath(out) && !IsUserDatabasePath(out) && !UdfDatabase::IsUdfPath(out))
        return UsageError(kUsage, QStringLiteral("the output file must end in .usd, .ddf or .udf"));
    if (UdfDatabase::IsUdfPath(out) && !UdfDatabase::IsUdfPath(source) && !QFileInfo(out).isFile())
        return UsageError(kUsage, QStringLiteral("a .udf takes its size from a .udf source or an existing OUT.udf"));

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
    else if (UdfDatabase::IsUdfPath(out))
        result = SaveUdf(db, source, sourceBytes, out, profile);
    else if (IsDefaultDatabasePath(source))
        result = SaveNewUserDatabase(db, out, profile);
    else
        result = SaveUserCopy(db, sourceBytes, out, UdfDatabase::IsUdfPath(source));
    if (result == SaveResult::Failed)
        return ExitFailed;
    if (result == SaveResult::Declined)
        return Failure(QStringLiteral("Nothing was written to \"%1\".").arg(out));

    // The writers leave terrestrial nodes out: the line counts what the file holds.
    const NodeKind counts[3] = {KindSatellite, KindTransponder, KindProgram};
    int written[3];
    for (int i = 0; i < 3; ++i)
        written[i] = db.LiveCount(counts[i]) - TerrestrialCount(db, counts[i]);
    std::printf("%s: %d satellites, %d transponders, %d programs written (%lld bytes)\n", out.toUtf8().constData(),
                written[0], written[1], written[2], static_cast<long long>(QFileInfo(out).size()));
    return ExitOk;
}
