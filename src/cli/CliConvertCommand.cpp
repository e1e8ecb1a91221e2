// dravel-cli convert: load a database and save it with the writer its new extension names.
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
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
bool SaveUserCopy(const CChannelDb &db, const ConsolePrompt &prompt, const QString &source, const QString &out)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        Failure(QStringLiteral("Cannot open \"%1\".").arg(source));
        return false;
    }
    const QByteArray bytes = in.readAll();

    QTemporaryFile copy(QFileInfo(out).absoluteDir().filePath(QStringLiteral(".dravel-convert-XXXXXX.usd")));
    if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush()) {
        Failure(QStringLiteral("Cannot write \"%1\"; the file is unchanged.").arg(out));
        return false;
    }
    const QString copyPath = copy.fileName();  // gives the file its name before it is closed
    copy.close();
    if (!SaveUserDatabase(db, copyPath))
        return false;
    if (prompt.Declined())
        return true;  // nothing was saved: OUT stays as it was, the copy goes
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(copyPath.toStdString()),
                            std::filesystem::path(out.toStdString()), error);
    if (error) {
        Failure(QStringLiteral("Cannot write \"%1\"; the file is unchanged.").arg(out));
        return false;
    }
    copy.setAutoRemove(false);  // its name now belongs to OUT
    return true;
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
    bool ok = false;
    if (IsDefaultDatabasePath(out)) {
        ok = SaveDefaultDatabase(db, out, profile);
    } else if (IsDefaultDatabasePath(source)) {
        ok = SaveNewUserDatabase(db, out, profile);
    } else {
        ok = SaveUserCopy(db, prompt, source, out);
    }
    if (!ok)
        return ExitFailed;
    if (prompt.Declined())
        return Failure(QStringLiteral("Nothing was written to \"%1\".").arg(out));
    return ExitOk;
}
