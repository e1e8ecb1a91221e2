// File commands of dravel-cli (placeholder until the link commands land).
#include "cli/CliCommands.h"

#include <cstdio>

static int NotReady()
{
    std::fprintf(stderr, "dravel-cli: this command is not available in this build\n");
    return ExitFailed;
}

int RunTemplateCommand(const QStringList &) { return NotReady(); }
int RunInfoCommand(const QStringList &) { return NotReady(); }
int RunDumpCommand(const QStringList &) { return NotReady(); }
int RunConvertCommand(const QStringList &) { return NotReady(); }
int RunGenerateCommand(const QStringList &) { return NotReady(); }
