// dravel-cli convert: load a database and save it with the writer its new extension names.
#include "cli/CliCommands.h"
#include "cli/CliEditedDatabase.h"
#include "cli/CliOptions.h"
#include "cli/CliSave.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "core/CoreMessages.h"
#include "database/CChannelDb.h"
#include "database/DatabaseWriter.h"
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
    if (const QString error = CheckCliOutputPath(source, out); !error.isEmpty())
        return UsageError(kUsage, error);

    CliEditedDatabase opened(options);
    if (!opened.Open(options, source))
        return ExitFailed;
    return opened.SaveAs(source, out);
}
