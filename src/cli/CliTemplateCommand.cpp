// dravel-cli template: parse a template header, print the four layouts, write the layout cache.
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompt.h"
#include "layout/LayoutCache.h"
#include "layout/LayoutSet.h"
#include "layout/TemplateParser.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: dravel-cli template HEADER.h [-o script.ini] [-q]\n"
    "\n"
    "Parses a template header into the transponder, satellite, program and default-program\n"
    "layouts and prints them. With -o the layouts are written as a layout cache (\"script.ini\").\n"
    "The preprocessed template is written to \"parse.input\" in the working directory.\n"
    "\n"
    "  -o FILE   write the layout cache to FILE\n"
    "  -q        do not print the layouts\n";

const char *KindName(NodeKind kind)
{
    static const char *const names[] = {"transponder", "satellite", "program", "default program"};
    return names[KindSlot(kind)];
}

const char *FieldKindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Integer: return "Integer";
    case FieldKind::String: return "String";
    case FieldKind::IntArray: return "IntArray";
    }
    return "?";
}

void PrintLayouts(const LayoutSet &layouts)
{
    for (NodeKind kind : kLayoutKinds) {
        const std::vector<FieldDesc> *fields = layouts.Declarations(kind);
        if (!fields) {
            std::printf("%s %s: none\n\n", KindName(kind), TemplateParser::MarkerOf(kind));
            continue;
        }
        std::printf("%s %s: %d fields, %d bytes", KindName(kind), TemplateParser::MarkerOf(kind),
                    int(fields->size()), layouts.NodeSize(kind));
        if (kind != KindDefaultProgram)
            std::printf(", %d positions", layouts.PositionCount(kind));
        std::printf("\n  %3s  %-24s %-8s %5s %5s %9s %4s %6s\n", "#", "name", "kind", "width", "bits", "word.bit",
                    "pos", "masked");
        for (size_t i = 0; i < fields->size(); ++i) {
            const FieldDesc &f = (*fields)[i];
            const QByteArray place = QByteArray::number(f.wordIndex) + '.' + QByteArray::number(f.bitOffset);
            std::printf("  %3d  %-24s %-8s %5d %5d %9s %4d %6d\n", int(i), f.name.c_str(), FieldKindName(f.kind),
                        f.bitWidth, f.sizeBits, place.constData(), f.pos, f.masked);
        }
        std::printf("\n");
    }
}

} // namespace

int RunTemplateCommand(const QStringList &args)
{
    CliOptions options({QStringLiteral("-o"), QStringLiteral("--output")}, {QStringLiteral("-q"), QStringLiteral("--quiet")});
    if (!options.Parse(args))
        return UsageError(kUsage, options.Error());
    if (options.Help())
        return PrintHelp(kUsage);
    if (options.Positionals().size() != 1)
        return UsageError(kUsage, QStringLiteral("template needs exactly one header file"));

    ConsolePrompt prompt;
    LayoutSet layouts;
    if (!layouts.ParseTemplate(options.Positionals().first(), prompt))
        return Failure(QStringLiteral("ParseTemplate failed!"));
    const bool quiet = options.Has(QStringLiteral("-q")) || options.Has(QStringLiteral("--quiet"));
    if (!quiet)
        PrintLayouts(layouts);

    const QString output = options.Value(QStringLiteral("-o"), options.Value(QStringLiteral("--output")));
    if (output.isEmpty())
        return ExitOk;
    if (!layouts.HasNodeLayouts())
        return Failure(QStringLiteral("Template doesn't exist!"));
    if (!SaveLayoutCache(output, layouts))
        return Failure(QStringLiteral("Cannot write \"%1\".").arg(output));
    if (!quiet)
        std::fprintf(stderr, "Save template ok.\n");
    return ExitOk;
}
