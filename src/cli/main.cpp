// dravel-cli entry point: picks the command and hands it its arguments.
#include "cli/CliCommands.h"

#include <QCoreApplication>
#include <QTextStream>

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
    {"abs", RunAbsCommand, "walk the chunk chain of a flash image, check CRCs, list chunks"},
    {"probe", RunProbeCommand, "connection test, protocol version and chunk table of a receiver"},
    {"download", RunDownloadCommand, "write a .ddf, .udf or .abs into the receiver"},
    {"upload", RunUploadCommand, "read the user database, default database or whole flash"},
};

void PrintUsage(FILE *out)
{
    std::fprintf(out, "usage: dravel-cli COMMAND [ARGS...]   (dravel-cli COMMAND --help for details)\n\n");
    for (const Command &c : kCommands)
        std::fprintf(out, "  %-9s %s\n", c.name, c.summary);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        PrintUsage(stderr);
        return ExitUsage;
    }
    const QString name = args.takeFirst();
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        return ExitOk;
    }
    for (const Command &c : kCommands) {
        if (name == QLatin1String(c.name))
            return c.run(args);
    }
    std::fprintf(stderr, "dravel-cli: unknown command '%s'\n\n", qPrintable(name));
    PrintUsage(stderr);
    return ExitUsage;
}
