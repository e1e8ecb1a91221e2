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

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>

namespace {

const char kUsage[] =
    "usage: dravel-cli convert DB OUT.usd|OUT.ddf [--layout L] [--yes]\n"
    "\n"
    "Loads DB and saves it as OUT with the writer OUT's extension names. A \".ddf\" is always\n"
    "65280 bytes; a database without favourite groups gets the 32 groups of the user profile.\n"
    "A \".usd\" made from a \".usd\" keeps the source's favourite sub-chunk and further\n"
    "sub-chunks byte for byte; one made from a \".ddf\" gets the favourite groups the \".ddf\"\n"
    "holds. OUT is replaced as a whole, and only when the save succeeds.\n"
    "Terrestrial nodes cannot be saved: the question whether to save without them is answered\n"
    "No (nothing is written, exit status 1) unless --yes is given.\n"
    "\n"
    "  --layout L   a \"script.ini\" layout cache or a template header (default: the\n"
    "               \"script.ini\" beside the program)\n"
    "  --yes        answer Yes to the terrestrial question\n";

// Save As of the editor: the source file is copied to the new name and the node data written
// into the copy, so that its tail is kept. The copy is made under a temporary name beside OUT
// and renamed over OUT only when the save has succeeded.
SaveResult SaveUserCopy(const CChannelDb &db, const QString &source, const QString &out)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        Failure(CoreMessages::CannotOpen(source));
        return SaveResult::Failed;
    }
    const QByteArray bytes = in.readAll();

    QTemporaryFile copy(QFileInfo(out).absoluteDir().filePath(QStringLiteral(".dravel-convert-XXXXXX.usd")));
    if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush()) {
        Failure(CoreMessages::CannotWrite(out));
        return SaveResult::Failed;
    }
    const QString copyPath = copy.fileName();  // gives the file its name before it is closed
    copy.close();
    const SaveResult result = SaveUserDatabase(db, copyPath);
    if (result != SaveResult::Written)
        return result;  // nothing was saved: OUT stays as it was, the copy goes
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(copyPath.toStdString()),
                            std::filesystem::path(out.toStdString()), error);
    if (error) {
        Failure(CoreMessages::CannotWrite(out));
        return SaveResult::Failed;
    }
    copy.setAutoRemove(false);  // its name now belongs to OUT
    return SaveResult::Written;
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
    if (!LoadCliDatabase(db, source))
        return ExitFailed;

    SettingsProfileStore profile;
    SaveResult result = SaveResult::Failed;
    if (IsDefaultDatabasePath(out))
        result = SaveDefaultDatabase(db, out, profile);
    else if (IsDefaultDatabasePath(source))
        result = SaveNewUserDatabase(db, out, profile);
    else
        result = SaveUserCopy(db, source, out);
    if (result == SaveResult::Failed)
        return ExitFailed;
    if (result == SaveResult::Declined)
        return Failure(QStringLiteral("Nothing was written to \"%1\".").arg(out));
    return ExitOk;
}
