// Link commands of dravel-cli (placeholder until the link commands land).
#include "cli/CliCommands.h"

#include <cstdio>

static int NotReady()
{
    std::fprintf(stderr, "dravel-cli: this command is not available in this build\n");
    return ExitFailed;
}

int RunAbsCommand(const QStringList &) { return NotReady(); }
int RunProbeCommand(const QStringList &) { return NotReady(); }
int RunDownloadCommand(const QStringList &) { return NotReady(); }
int RunUploadCommand(const QStringList &) { return NotReady(); }
