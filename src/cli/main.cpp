// dravel-cli entry point: picks the command and hands it its arguments.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

struct Command
{
    const char *name;
    int (*run)(const QStringList &);
    const char *summary;
};

const Command kCommands[] = {
    {"template", RunTemplateCommand, "parse a template header, print the layouts, write the cache"},
    {"info", RunInfoCommand, "counts, favourite groups, tail and terrestrial nodes of a database"},
    {"dump", RunDumpCommand, "every node with every field by name, as JSON or CSV"},
    {"convert", RunConvertCommand, "load a database and save it as .usd or .ddf"},
    {"generate", RunGenerateCommand, "write a realistic synthetic database"},
    {"duplicates", RunDuplicatesCommand, "list programs that are the same service, or save without them"},
    {"reorder", RunReorderCommand, "give the programs the order of a reference list"},
    {"import", RunImportCommand, "apply field changes from a CSV to the programs"},
    {"abs", RunAbsCommand, "walk the chunk chain of a flash image, check CRCs, list chunks"},
    {"probe", RunProbeCommand, "connection test, protocol version and chunk table of a receiver"},
    {"download", RunDownloadCommand, "write a .ddf, .udf or .abs into the receiver"},
    {"upload", RunUploadCommand, "read the user database, default database or whole flash"},
    {"restore", RunRestoreCommand, "download a backup back into the receiver"},
    {"backups", RunBackupsCommand, "list the backups of a folder"},
};

// The version the editor names in its --version and about box: one program, one number.
const char kVersion[] = "0.0.1c";

// The usage text of the program as a whole.
QByteArray Usage()
{
    QByteArray text = "usage: dravel-cli COMMAND [ARGS...]   (dravel-cli COMMAND --help for details)\n"
                      "       dravel-cli --version\n\n";
    for (const Command &c : kCommands)
        text += QByteArray("  ") + QByteArray(c.name).leftJustified(10) + ' ' + c.summary + '\n';
    return text;
}

int Dispatch(const QStringList &arguments)
{
    QStringList args = arguments;
    const QByteArray usage = Usage();
    if (args.isEmpty())
        return CommandUsageError(QString(), QStringLiteral("a command is needed"));
    const QString name = args.takeFirst();
    if (name == "--help" || name == "-h" || name == "help")
        return PrintHelp(usage.constData());
    if (name == "--version") {
        std::printf("dravel-cli %s\n", kVersion);
        return ExitOk;
    }
    for (const Command &c : kCommands) {
        if (name == QLatin1String(c.name))
            return c.run(args);
    }
    return CommandUsageError(QString(), QStringLiteral("unknown command '%1'").arg(name));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    // Whatever a command printed must have reached stdout, or the command failed.
    return CheckStandardOutput(Dispatch(args));
}
